# Checks of the Windows build that run on the Linux side of the cross build.
find_program(VELMORA_MINGW_OBJDUMP NAMES i686-w64-mingw32-objdump)
if(VELMORA_MINGW_OBJDUMP)
  add_test(NAME win32_dll_exports_imports
           COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/win32/check-dll.sh ${VELMORA_MINGW_OBJDUMP}
                   $<TARGET_FILE:Velmora> $<TARGET_FILE:velmora>)
endif()
add_test(NAME win32_registry_types_reg_query
         COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/win32/reg-query.sh
                 ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh $<TARGET_FILE:velmora> ${CMAKE_BINARY_DIR})
add_test(NAME win32_dll_version_resource
         COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/win32/check-version.sh ${CMAKE_RC_COMPILER}
                 $<TARGET_FILE:Velmora> ${PROJECT_VERSION})
# The language-file tests read the package's CP866 copies.
add_dependencies(velmora_tests velmora_package_texts)
