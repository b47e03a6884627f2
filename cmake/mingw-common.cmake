# The mingw-w64 cross build, shared by the toolchain files: the caller sets CMAKE_SYSTEM_PROCESSOR,
# VELMORA_MINGW_TRIPLE and VELMORA_WINEARCH. Tests run under Wine through cmake/wine-run.sh.
set(CMAKE_SYSTEM_NAME Windows)

# The win32 thread model needs no winpthread DLL; nothing here uses std::thread. The posix one is
# the fallback on machines that have only that variant.
foreach(variant -win32 -posix "")
  find_program(VELMORA_MINGW_CXX NAMES ${VELMORA_MINGW_TRIPLE}-g++${variant})
  find_program(VELMORA_MINGW_CC NAMES ${VELMORA_MINGW_TRIPLE}-gcc${variant})
  if(VELMORA_MINGW_CXX AND VELMORA_MINGW_CC)
    break()
  endif()
  unset(VELMORA_MINGW_CXX CACHE)
  unset(VELMORA_MINGW_CC CACHE)
endforeach()
if(NOT VELMORA_MINGW_CXX)
  message(FATAL_ERROR "${VELMORA_MINGW_TRIPLE}-g++ not found: run scripts/deps.sh (package ${VELMORA_MINGW_PACKAGE})")
endif()
set(CMAKE_C_COMPILER ${VELMORA_MINGW_CC})
set(CMAKE_CXX_COMPILER ${VELMORA_MINGW_CXX})
set(CMAKE_RC_COMPILER ${VELMORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc or libstdc++ DLL beside the plug-in or the executables.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# ctest and try_run start Windows programs through Wine, with a Wine prefix inside the build tree
# of the kind the programs need (a 64-bit prefix runs both kinds).
set(CMAKE_CROSSCOMPILING_EMULATOR env WINEARCH=${VELMORA_WINEARCH} sh "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
