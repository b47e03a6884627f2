# What the packages hold, as `cmake --install` components, and how CPack wraps them:
#   native build:  velmora_<version>_amd64.deb (velmora, the far2l plug-in, man page, completion)
#   Windows build: Velmora-<version>-windows.zip (Plugins/Velmora/ for FAR 1.7x, velmora/velmora.exe),
#                  with the FAR 3 builds' far3-x86/Plugins/Velmora/ and far3-x64/Plugins/Velmora/
# scripts/package.sh makes both. The language and help files come from the build directory, where
# the help files already name the version.
set(VELMORA_TEXT_NAMES VelmoraEng.lng VelmoraRus.lng VelmoraEng.hlf VelmoraRus.hlf)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR "Velmora developers")
set(CPACK_PACKAGE_CONTACT "Velmora maintainers <maintainers@users.noreply.c-seed-6f0d2ee2.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)

if(VELMORA_FAR3)
  # The FAR 3 plug-in of this build's architecture with its language and help files (UTF-8 with a
  # mark, as FAR 3 reads them), in the folder the Windows zip gives it: scripts/package.sh puts this
  # component of both FAR 3 builds into the zip made from the FAR 1.x build.
  set(far3_plugin_dir far3-${VELMORA_FAR3_ARCH}/Plugins/Velmora)
  if(VELMORA_FAR3_ARCH STREQUAL "x64")
    set(VELMORA_FAR3_BITS 64)
  else()
    set(VELMORA_FAR3_BITS 32)
  endif()
  configure_file(package/Readme-far3.txt.in ${CMAKE_BINARY_DIR}/package-texts/Readme.txt @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS Velmora LIBRARY DESTINATION ${far3_plugin_dir} COMPONENT far3_plugin)
  foreach(text_name ${VELMORA_TEXT_NAMES})
    install(FILES ${CMAKE_BINARY_DIR}/${text_name} DESTINATION ${far3_plugin_dir} COMPONENT far3_plugin)
  endforeach()
  install(FILES ${CMAKE_BINARY_DIR}/package-texts/Readme.txt DESTINATION ${far3_plugin_dir} COMPONENT far3_plugin)
  # Each folder of the zip may be copied on its own, so each carries the licence, as LICENSE.txt,
  # which Windows opens with a double click.
  install(FILES LICENSE DESTINATION ${far3_plugin_dir} RENAME LICENSE.txt COMPONENT far3_plugin)
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_COMPONENTS_ALL far3_plugin)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(WIN32)
  # FAR 1.x reads language and help files in the OEM code page: the Russian ones, kept in UTF-8,
  # become CP866; the English ones are ASCII and checked to stay so (iconv fails on any byte
  # above 127).
  find_program(VELMORA_ICONV NAMES iconv REQUIRED)
  set(package_text_dir ${CMAKE_BINARY_DIR}/package-texts)
  set(package_texts)
  foreach(text_name ${VELMORA_TEXT_NAMES})
    set(output ${package_text_dir}/${text_name})
    if(text_name MATCHES "Rus")
      set(from UTF-8)
      set(to CP866)
    else()
      set(from ASCII)
      set(to ASCII)
    endif()
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${package_text_dir}
      COMMAND ${VELMORA_ICONV} -f ${from} -t ${to} -o ${output}.part ${CMAKE_BINARY_DIR}/${text_name}
      COMMAND ${CMAKE_COMMAND} -E rename ${output}.part ${output}
      DEPENDS ${CMAKE_BINARY_DIR}/${text_name}
      COMMENT "${text_name}: ${from} -> ${to}"
      VERBATIM)
    list(APPEND package_texts ${output})
  endforeach()
  add_custom_target(velmora_package_texts ALL DEPENDS ${package_texts})
  # Read with Notepad as often as not: CRLF line ends.
  configure_file(package/Readme.txt.in ${package_text_dir}/Readme.txt @ONLY NEWLINE_STYLE CRLF)

  install(TARGETS Velmora LIBRARY DESTINATION Plugins/Velmora COMPONENT far_plugin)
  install(FILES ${package_texts} ${package_text_dir}/Readme.txt DESTINATION Plugins/Velmora COMPONENT far_plugin)
  # In a folder of its own, so FAR never takes it for part of the plug-in; it finds the plug-in in
  # ..\Plugins\Velmora\.
  install(TARGETS velmora RUNTIME DESTINATION velmora COMPONENT host)
  # Each folder of the zip may be copied on its own, so each carries the licence, as LICENSE.txt,
  # which Windows opens with a double click.
  install(FILES LICENSE DESTINATION Plugins/Velmora RENAME LICENSE.txt COMPONENT far_plugin)
  install(FILES LICENSE DESTINATION velmora RENAME LICENSE.txt COMPONENT host)

  # The zip needs the DLL, velmora.exe and the texts, not the Windows tests that "all" holds:
  # scripts/package.sh builds what the zip needs, and installing does not build the rest.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_COMPONENTS_ALL far_plugin host)
  set(CPACK_PACKAGE_FILE_NAME "Velmora-${PROJECT_VERSION}-windows")
  # Unpacked into FAR's folder, the zip's Plugins/ is FAR's Plugins/.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  install(TARGETS velmora RUNTIME DESTINATION bin COMPONENT host)
  # far2l's layout for packaged plug-ins, with the UTF-8 language and help files beside the module.
  set(far2l_plug lib/far2l/Plugins/Velmora/plug)
  install(TARGETS Velmora LIBRARY DESTINATION ${far2l_plug} COMPONENT far2l_plugin)
  foreach(text_name ${VELMORA_TEXT_NAMES})
    install(FILES ${CMAKE_BINARY_DIR}/${text_name} DESTINATION ${far2l_plug} COMPONENT far2l_plugin)
  endforeach()

  # The man page and the bash completion are made from the option table --help is made from, so
  # none of the three can describe an option the others lack. The page's date follows
  # SOURCE_DATE_EPOCH when that is set.
  find_program(VELMORA_GZIP gzip REQUIRED)
  if(TARGET velmora_docs)
    string(TIMESTAMP velmora_man_date "%B %Y" UTC)
    set(man_page ${CMAKE_BINARY_DIR}/man/velmora.1)
    set(completion ${CMAKE_BINARY_DIR}/completion/velmora)
    add_custom_command(
      OUTPUT ${man_page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND velmora_docs man "${velmora_man_date}" ${man_page}
      # -n: no name or time stamp inside, so the same page gives the same bytes.
      COMMAND ${VELMORA_GZIP} -9nf ${man_page}
      DEPENDS velmora_docs
      COMMENT "velmora.1 from the option table"
      VERBATIM)
    add_custom_command(
      OUTPUT ${completion}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/completion
      COMMAND velmora_docs bash-completion ${completion}
      DEPENDS velmora_docs
      COMMENT "bash completion from the option table"
      VERBATIM)
    add_custom_target(velmora_man_and_completion ALL DEPENDS ${man_page}.gz ${completion})
    install(FILES ${man_page}.gz DESTINATION share/man/man1 COMPONENT man)
    install(FILES ${completion} DESTINATION share/bash-completion/completions COMPONENT completion)
  endif()
  # Debian wants a changelog beside the copyright file; it names the packaged version. Its date
  # follows SOURCE_DATE_EPOCH when that is set.
  string(TIMESTAMP velmora_package_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
  configure_file(package/changelog.in ${CMAKE_BINARY_DIR}/package/changelog.txt @ONLY)
  set(changelog ${CMAKE_BINARY_DIR}/package/changelog)
  add_custom_command(
    OUTPUT ${changelog}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/package/changelog.txt ${changelog}
    COMMAND ${VELMORA_GZIP} -9nf ${changelog}
    DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.txt
    VERBATIM)
  add_custom_target(velmora_changelog ALL DEPENDS ${changelog}.gz)
  install(FILES package/copyright ${changelog}.gz DESTINATION share/doc/velmora COMPONENT doc)

  set(CPACK_GENERATOR DEB)
  set(CPACK_COMPONENTS_ALL host far2l_plugin man completion doc)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_ENHANCES far2l)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # Debian's limit: 80 columns with the leading space.
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
         "Velmora renames every selected file of a panel in one batch from a name\n"
         "template such as IMG_%#.%E (old name, base name, extension, counter,\n"
         "number of files), and keeps each file's one-line description\n"
         "(Descript.ion) under its new name.\n"
         "This package holds the plug-in for far2l and velmora, the plug-in's own\n"
         "command-line and terminal host.")
endif()

include(CPack)
