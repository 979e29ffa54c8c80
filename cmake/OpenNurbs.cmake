# openNURBS, the open part of the Rhino SDK, from an unmodified source folder.
#
# The source is ORVEX_OPENNURBS_SOURCE (CMake or environment), else
# ../shared/third_party/opennurbs-7.x beside the checkout, else a clone of the
# public repository's 7.x branch in the cache. The library is built once per
# machine into the cache, under a key made from the source's contents and the
# build script, and every configuration (plain, sanitizers, fuzzing,
# benchmarks) reuses it: a fresh build of the project never rebuilds it.
#
# Defines:
#   opennurbs_static  the static library (linked whole into the SDK stand-in only,
#                     which hands openNURBS to the process as Rhino's own DLL does)
#   opennurbs         the headers (include directory and definitions)

set(ORVEX_OPENNURBS_SOURCE "$ENV{ORVEX_OPENNURBS_SOURCE}" CACHE PATH "openNURBS 7.x source folder")
set(ORVEX_OPENNURBS_REPOSITORY "https://github.com/mcneel/opennurbs.git" CACHE STRING
    "Where the openNURBS source is cloned from when no source folder is found")

if(DEFINED ENV{ORVEX_CACHE_DIR})
  set(orvex_cache "$ENV{ORVEX_CACHE_DIR}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(orvex_cache "$ENV{XDG_CACHE_HOME}/orvexconv")
else()
  set(orvex_cache "$ENV{HOME}/.cache/orvexconv")
endif()
file(MAKE_DIRECTORY "${orvex_cache}")

# Runs a command, its output kept in the log file; a failure shows the log's end.
set(orvex_opennurbs_log "${orvex_cache}/opennurbs-build.log")
function(orvex_run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  file(APPEND "${orvex_opennurbs_log}" "${out}")
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " line)
    string(LENGTH "${out}" length)
    if(length GREATER 4000)
      math(EXPR start "${length} - 4000")
      string(SUBSTRING "${out}" ${start} -1 out)
    endif()
    message(FATAL_ERROR "openNURBS: '${line}' failed (${status}):\n${out}\n(whole log: ${orvex_opennurbs_log})")
  endif()
endfunction()

# The source folder.
if(NOT ORVEX_OPENNURBS_SOURCE)
  get_filename_component(beside "${CMAKE_SOURCE_DIR}/../shared/third_party/opennurbs-7.x" ABSOLUTE)
  if(EXISTS "${beside}/opennurbs.h")
    set(ORVEX_OPENNURBS_SOURCE "${beside}" CACHE PATH "openNURBS 7.x source folder" FORCE)
  else()
    set(clone "${orvex_cache}/opennurbs-7.x-source")
    if(NOT EXISTS "${clone}/opennurbs.h")
      message(STATUS "openNURBS: cloning the 7.x branch into ${clone}")
      file(REMOVE_RECURSE "${clone}")
      orvex_run(git clone --depth 1 --branch 7.x "${ORVEX_OPENNURBS_REPOSITORY}" "${clone}")
    endif()
    set(ORVEX_OPENNURBS_SOURCE "${clone}" CACHE PATH "openNURBS 7.x source folder" FORCE)
  endif()
endif()
if(NOT EXISTS "${ORVEX_OPENNURBS_SOURCE}/opennurbs.h")
  message(FATAL_ERROR "openNURBS: no opennurbs.h in ${ORVEX_OPENNURBS_SOURCE}")
endif()

# The source's identity: every source file's path and contents, and the build script.
file(GLOB_RECURSE files RELATIVE "${ORVEX_OPENNURBS_SOURCE}" LIST_DIRECTORIES false
     "${ORVEX_OPENNURBS_SOURCE}/*.h" "${ORVEX_OPENNURBS_SOURCE}/*.c" "${ORVEX_OPENNURBS_SOURCE}/*.cpp")
list(SORT files)
set(identity "")
foreach(file IN LISTS files)
  file(SHA256 "${ORVEX_OPENNURBS_SOURCE}/${file}" hash)
  string(APPEND identity "${file} ${hash}\n")
endforeach()
set(script "")
file(GLOB script_files "${CMAKE_CURRENT_LIST_DIR}/opennurbs/*")
list(SORT script_files)
foreach(file IN LISTS script_files)
  file(SHA256 "${file}" hash)
  string(APPEND script "${hash}")
endforeach()
set(platform "${CMAKE_SYSTEM_PROCESSOR}")
set(cross_args "")
if(CMAKE_CROSSCOMPILING)
  # Built with the same toolchain, and kept apart from the native library.
  file(SHA256 "${CMAKE_TOOLCHAIN_FILE}" toolchain)
  string(APPEND platform "-${CMAKE_SYSTEM_NAME}-${toolchain}")
  set(cross_args "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}")
endif()
string(SHA256 key "${identity}${script}${platform}")
string(SUBSTRING "${key}" 0 16 key)
set(install "${orvex_cache}/opennurbs-${key}")

# Built once: under a lock, so that configurations set up at the same time wait
# for one build instead of racing.
if(NOT EXISTS "${install}/complete")
  file(LOCK "${orvex_cache}/opennurbs-${key}.lock" GUARD PROCESS TIMEOUT 3600)
  if(NOT EXISTS "${install}/complete")
    message(STATUS "openNURBS: building ${ORVEX_OPENNURBS_SOURCE} once into ${install}")
    cmake_host_system_information(RESULT cores QUERY NUMBER_OF_LOGICAL_CORES)
    file(REMOVE_RECURSE "${install}")
    set(build "${install}-build")
    orvex_run("${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/opennurbs" -B "${build}" -G Ninja
              -DCMAKE_BUILD_TYPE=Release "-DORVEX_OPENNURBS_SOURCE=${ORVEX_OPENNURBS_SOURCE}"
              "-DCMAKE_INSTALL_PREFIX=${install}" ${cross_args})
    orvex_run("${CMAKE_COMMAND}" --build "${build}" --target install -j ${cores})
    file(REMOVE_RECURSE "${build}")
    file(WRITE "${install}/complete" "${ORVEX_OPENNURBS_SOURCE}\n")
  endif()
  file(LOCK "${orvex_cache}/opennurbs-${key}.lock" RELEASE)
endif()
message(STATUS "openNURBS: ${install}")

add_library(opennurbs_static STATIC IMPORTED GLOBAL)
set_target_properties(opennurbs_static PROPERTIES IMPORTED_LOCATION "${install}/lib/libopennurbs.a")
if(WIN32)
  # What its Windows code calls: UUIDs, the shell's folders, COM and DirectWrite.
  set_target_properties(opennurbs_static PROPERTIES
    INTERFACE_LINK_LIBRARIES "rpcrt4;shlwapi;shell32;ole32;uuid;dwrite")
endif()
add_library(opennurbs INTERFACE IMPORTED GLOBAL)
set_target_properties(opennurbs PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES "${install}/include/opennurbs")
