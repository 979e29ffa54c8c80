# The libraries of the Windows build (mingw-w64), as the targets the native build
# gets from Debian's packages:
# - header-only libraries (Eigen, nlohmann-json, TinyGLTF): Debian's headers,
#   each linked into a folder of its own so that no other header of the Linux
#   system is reachable;
# - cpp-httplib (whose Debian header leaves its code to a Linux library),
#   pugixml and OpenSSL (built static): from Debian's sources, which
#   scripts/setup_windows_sources.sh brings into the cache;
# - GoogleTest: from the sources Debian's googletest package installs.
# Every file is built for Windows 7 and later, with the wide-character API.
add_compile_definitions(_WIN32_WINNT=0x0601 UNICODE _UNICODE)

set(orvex_windows_include "${CMAKE_BINARY_DIR}/windows-include")
file(MAKE_DIRECTORY "${orvex_windows_include}")
foreach(header IN ITEMS eigen3/Eigen nlohmann tiny_gltf.h)
  get_filename_component(name "${header}" NAME)
  if(NOT EXISTS "/usr/include/${header}")
    message(FATAL_ERROR "Windows build: /usr/include/${header} is missing (scripts/setup.sh windows)")
  endif()
  file(CREATE_LINK "/usr/include/${header}" "${orvex_windows_include}/${name}" SYMBOLIC)
endforeach()

# orvex_cached_source(VARIABLE PATTERN): the folder of the newest cached file that
# matches PATTERN.
function(orvex_cached_source variable pattern)
  file(GLOB found "${orvex_cache}/windows/${pattern}")
  list(SORT found COMPARE NATURAL ORDER DESCENDING)
  if(NOT found)
    message(FATAL_ERROR "Windows build: no ${pattern} in ${orvex_cache}/windows "
                        "(scripts/setup_windows_sources.sh)")
  endif()
  list(GET found 0 newest)
  get_filename_component(folder "${newest}" DIRECTORY)
  set(${variable} "${folder}" PARENT_SCOPE)
endfunction()

# orvex_header_library(TARGET FOLDER): headers only.
function(orvex_header_library target folder)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES "${folder}" INTERFACE_INCLUDE_DIRECTORIES "${folder}")
endfunction()
orvex_header_library(Eigen3::Eigen "${orvex_windows_include}")
orvex_header_library(nlohmann_json::nlohmann_json "${orvex_windows_include}")
orvex_header_library(TinyGLTF::TinyGLTF "${orvex_windows_include}")

orvex_cached_source(openssl_folder "openssl-*/install/.complete")
add_library(OpenSSL::Crypto STATIC IMPORTED GLOBAL)
set_target_properties(OpenSSL::Crypto PROPERTIES
  IMPORTED_LOCATION "${openssl_folder}/lib/libcrypto.a"
  INTERFACE_INCLUDE_DIRECTORIES "${openssl_folder}/include"
  INTERFACE_LINK_LIBRARIES "ws2_32;crypt32;advapi32;user32")
add_library(OpenSSL::SSL STATIC IMPORTED GLOBAL)
set_target_properties(OpenSSL::SSL PROPERTIES
  IMPORTED_LOCATION "${openssl_folder}/lib/libssl.a" INTERFACE_LINK_LIBRARIES OpenSSL::Crypto)

# As Debian's cpp-httplib package sets it up: TLS through OpenSSL.
orvex_cached_source(httplib_folder "cpp-httplib-*/httplib.h")
orvex_header_library(PkgConfig::HTTPLIB "${httplib_folder}")
set_target_properties(PkgConfig::HTTPLIB PROPERTIES
  INTERFACE_COMPILE_DEFINITIONS CPPHTTPLIB_OPENSSL_SUPPORT INTERFACE_LINK_LIBRARIES "ws2_32;crypt32")

orvex_cached_source(pugixml_folder "pugixml-*/src/pugixml.cpp")
add_library(orvex_pugixml STATIC "${pugixml_folder}/pugixml.cpp")
target_include_directories(orvex_pugixml SYSTEM PUBLIC "${pugixml_folder}")
target_compile_options(orvex_pugixml PRIVATE -w)
add_library(pugixml::static ALIAS orvex_pugixml)
add_library(pugixml::pugixml ALIAS orvex_pugixml)

if(ORVEX_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  # (GoogleTest's own build names them GTest::gtest and so on from 1.11 on.)
  foreach(library gtest gtest_main gmock)
    if(NOT TARGET GTest::${library})
      add_library(GTest::${library} ALIAS ${library})
    endif()
  endforeach()
endif()
