# GoogleTest for cross builds, compiled from the distribution's sources (package googletest,
# /usr/src/googletest): no mingw build of it is packaged. Defines GTest::gtest and GTest::gtest_main.
set(VELMORA_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources used by cross builds")
if(NOT EXISTS ${VELMORA_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${VELMORA_GTEST_SOURCE_DIR}: run scripts/deps.sh (package googletest)")
endif()

# The win32 thread model has no pthreads, and the tests need no threads.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF CACHE BOOL "" FORCE)

add_subdirectory(${VELMORA_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# GCC 12's win32 thread model has no std::mutex, which GoogleTest's Notification needs; our
# customisation header replaces it. It must come before GoogleTest's own include directory, for
# GoogleTest and for every test source alike.
target_include_directories(gtest BEFORE PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gtest-mingw)
target_sources(gtest PRIVATE ${CMAKE_CURRENT_LIST_DIR}/gtest-mingw/GoogleTestNotification.cpp)

if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
