# The FAR Manager 1.x package of the Windows build: Plugins/Velmora/ with the DLL and its language
# and help files. FAR 1.x reads them in the OEM code page, so the Russian files, kept in UTF-8 in
# the sources, are converted to CP866 here; the English ones are ASCII and copied as they are.
find_program(VELMORA_ICONV NAMES iconv REQUIRED)

set(VELMORA_PACKAGE_TEXT_DIR ${CMAKE_BINARY_DIR}/package-texts)
set(velmora_package_texts)
foreach(text lang/VelmoraEng.lng lang/VelmoraRus.lng help/VelmoraEng.hlf help/VelmoraRus.hlf)
  get_filename_component(text_name ${text} NAME)
  set(output ${VELMORA_PACKAGE_TEXT_DIR}/${text_name})
  if(text_name MATCHES "Rus")
    set(from UTF-8)
    set(to CP866)
  else()
    # ASCII to ASCII: fails on any byte above 127, so a stray non-English character is caught.
    set(from ASCII)
    set(to ASCII)
  endif()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VELMORA_PACKAGE_TEXT_DIR}
    COMMAND ${VELMORA_ICONV} -f ${from} -t ${to} -o ${output}.part ${PROJECT_SOURCE_DIR}/${text}
    COMMAND ${CMAKE_COMMAND} -E rename ${output}.part ${output}
    DEPENDS ${PROJECT_SOURCE_DIR}/${text}
    COMMENT "${text_name}: ${from} -> ${to}"
    VERBATIM)
  list(APPEND velmora_package_texts ${output})
endforeach()
add_custom_target(velmora_package_texts ALL DEPENDS ${velmora_package_texts})

install(TARGETS Velmora LIBRARY DESTINATION Plugins/Velmora COMPONENT far_plugin)
install(FILES ${velmora_package_texts} DESTINATION Plugins/Velmora COMPONENT far_plugin)
