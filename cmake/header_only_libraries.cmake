# CLI11, nlohmann-json, fmt and Boost (for Beast) for a cross-build:
# header-only, each from its own folder of the host's headers. The folders are linked into one include
# folder of the build, so that the cross compiler never searches the host's
# /usr/include itself (whose C library headers are not its own).
set(COMPACTOR_HOST_INCLUDE /usr/include CACHE PATH "Where the host's header-only libraries lie")
set(header_dir ${CMAKE_BINARY_DIR}/header_only)
file(MAKE_DIRECTORY ${header_dir})
foreach(sub CLI nlohmann fmt boost)
  if(NOT EXISTS ${COMPACTOR_HOST_INCLUDE}/${sub})
    message(FATAL_ERROR "${COMPACTOR_HOST_INCLUDE}/${sub} missing: run tools/setup")
  endif()
  if(NOT EXISTS ${header_dir}/${sub})
    file(CREATE_LINK ${COMPACTOR_HOST_INCLUDE}/${sub} ${header_dir}/${sub} SYMBOLIC)
  endif()
endforeach()

add_library(header_only_fmt INTERFACE)
target_include_directories(header_only_fmt SYSTEM INTERFACE ${header_dir})
target_compile_definitions(header_only_fmt INTERFACE FMT_HEADER_ONLY)
add_library(fmt::fmt ALIAS header_only_fmt)

add_library(header_only_json INTERFACE)
target_include_directories(header_only_json SYSTEM INTERFACE ${header_dir})
add_library(nlohmann_json::nlohmann_json ALIAS header_only_json)
set(nlohmann_json_FOUND ON)

add_library(header_only_cli11 INTERFACE)
target_include_directories(header_only_cli11 SYSTEM INTERFACE ${header_dir})
add_library(CLI11::CLI11 ALIAS header_only_cli11)
set(CLI11_FOUND ON)

# Beast and the Asio under it; the sockets are the system's (ws2_32, mswsock).
set(BEAST_INCLUDE_DIR ${header_dir})
