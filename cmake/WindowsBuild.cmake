# Settings of the Windows build (MinGW-w64). Cross-compiled (cmake/mingw-w64-x86_64.cmake), the
# dependencies that Debian ships as sources or headers only are taken from the host: GoogleTest
# is compiled here, CLI11 and nlohmann-json are header-only. A native build finds them installed.

# windows.h without its min and max macros, which clash with the standard library's.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)

# Test programs about the POSIX side only: COM names mapped to /dev/ttyS devices.
set(VEXLAN_POSIX_ONLY_TESTS com_port_devices_tests)

if(NOT CMAKE_CROSSCOMPILING)
  return()
endif()

# Only the headers of the two header-only packages, not the host's whole include folder.
set(VEXLAN_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${VEXLAN_HOST_HEADERS})
foreach(package IN ITEMS CLI nlohmann)
  if(NOT EXISTS ${VEXLAN_HOST_HEADERS}/${package} AND EXISTS /usr/include/${package})
    file(CREATE_LINK /usr/include/${package} ${VEXLAN_HOST_HEADERS}/${package} SYMBOLIC)
  endif()
endforeach()
include_directories(SYSTEM ${VEXLAN_HOST_HEADERS})
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
endif()

if(BUILD_TESTING)
  set(VEXLAN_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VEXLAN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  foreach(library IN ITEMS gtest gtest_main)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
endif()
