# nlohmann/json for the Windows cross build: the headers of Debian's
# nlohmann-json3-dev, seen through a folder that holds nothing else, so that
# the host's own C library headers never reach the cross compiler.
set(_ridloe_json_headers ${CMAKE_BINARY_DIR}/host-headers)
if(NOT EXISTS ${_ridloe_json_headers}/nlohmann/json.hpp)
  if(NOT EXISTS /usr/include/nlohmann/json.hpp)
    set(nlohmann_json_FOUND FALSE)
    set(nlohmann_json_NOT_FOUND_MESSAGE "/usr/include/nlohmann/json.hpp is missing (nlohmann-json3-dev)")
    return()
  endif()
  file(MAKE_DIRECTORY ${_ridloe_json_headers})
  file(CREATE_LINK /usr/include/nlohmann ${_ridloe_json_headers}/nlohmann SYMBOLIC)
endif()
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${_ridloe_json_headers})
endif()
