# libpng and zlib: on Windows found the usual way (vcpkg, a package manager); in the Linux cross
# build zlib comes from libz-mingw-w64-dev and libpng is built static from Debian's source package
# that tools/install-deps.sh unpacks into .deps/.
set(TALLYVO_LIBPNG_SOURCE ${CMAKE_SOURCE_DIR}/.deps/libpng-src CACHE PATH "libpng source tree for the cross build")

# The static zlib: the import library would make the shipped program need a zlib1.dll beside it.
if(CMAKE_CROSSCOMPILING AND NOT ZLIB_LIBRARY AND EXISTS ${CMAKE_FIND_ROOT_PATH}/lib/libz.a)
  set(ZLIB_LIBRARY ${CMAKE_FIND_ROOT_PATH}/lib/libz.a CACHE FILEPATH "")
endif()
find_package(ZLIB REQUIRED)
if(CMAKE_CROSSCOMPILING AND EXISTS ${TALLYVO_LIBPNG_SOURCE}/CMakeLists.txt)
  set(PNG_SHARED OFF CACHE BOOL "" FORCE)
  set(PNG_STATIC ON CACHE BOOL "" FORCE)
  set(PNG_TESTS OFF CACHE BOOL "" FORCE)
  set(PNG_EXECUTABLES OFF CACHE BOOL "" FORCE)
  set(SKIP_INSTALL_ALL ON CACHE BOOL "" FORCE)
  set(DFA_XTRA ${CMAKE_CURRENT_LIST_DIR}/pnglibconf.dfa CACHE FILEPATH "" FORCE)
  # libpng's generated configuration does not depend on our features file: a build folder made
  # before a change to it would keep compiling the old feature set.
  set(png_generated ${CMAKE_BINARY_DIR}/libpng/pnglibconf)
  if(EXISTS ${png_generated}.h AND ${DFA_XTRA} IS_NEWER_THAN ${png_generated}.h)
    file(REMOVE ${png_generated}.h ${png_generated}.out ${png_generated}.c)
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${DFA_XTRA})
  add_subdirectory(${TALLYVO_LIBPNG_SOURCE} ${CMAKE_BINARY_DIR}/libpng EXCLUDE_FROM_ALL)
  target_include_directories(png_static INTERFACE ${TALLYVO_LIBPNG_SOURCE} ${CMAKE_BINARY_DIR}/libpng)
  add_library(PNG::PNG ALIAS png_static)
else()
  find_package(PNG REQUIRED)
endif()

# GoogleTest from the machine's sources, built with the same toolchain.
if(NOT TARGET GTest::gtest)
  set(TALLYVO_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
  if(EXISTS ${TALLYVO_GTEST_SOURCE}/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(${TALLYVO_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
