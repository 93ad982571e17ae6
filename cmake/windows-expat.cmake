# expat for the Windows build. GPX is read with expat on every system, so that
# both builds give the same verdict, line and column; Debian has no expat
# built for mingw-w64, so its source package (the same expat as the Linux
# build's) is fetched into the build tree by scripts/expat-source.sh and its
# library built here, linked statically. Debian builds expat with autotools,
# whose configuration its patches rely on (XML_DTD is 1, where expat's own
# CMake build defines it empty), so the three sources are built with that
# configuration rather than through expat's CMake project.
set(RIDLOE_EXPAT_SOURCE "" CACHE PATH "An unpacked expat source package (empty: fetched into the build tree)")
set(expat_source ${RIDLOE_EXPAT_SOURCE})
if(NOT expat_source)
  execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/expat-source.sh ${CMAKE_BINARY_DIR}/expat
                  OUTPUT_VARIABLE expat_source OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "expat's source package could not be fetched (scripts/expat-source.sh); "
                        "-DRIDLOE_EXPAT_SOURCE=DIR names one unpacked")
  endif()
endif()
set(expat_lib ${expat_source}/expat/lib)
if(NOT EXISTS ${expat_lib}/xmlparse.c)
  message(FATAL_ERROR "${expat_source} holds no expat source package")
endif()
file(READ ${expat_source}/.ridloe-version expat_version)
string(STRIP "${expat_version}" expat_version)
message(STATUS "expat for Windows: ${expat_version}")

enable_language(C)
set(expat_config ${CMAKE_BINARY_DIR}/expat/config)
file(WRITE ${expat_config}/expat_config.h.new [=[
/* As Debian's build of expat configures it. */
#define BYTEORDER 1234
#define XML_CONTEXT_BYTES 1024
#define XML_DTD 1
#define XML_NS 1
]=])
file(COPY_FILE ${expat_config}/expat_config.h.new ${expat_config}/expat_config.h ONLY_IF_DIFFERENT)
add_library(expat STATIC ${expat_lib}/xmlparse.c ${expat_lib}/xmlrole.c ${expat_lib}/xmltok.c)
target_include_directories(expat SYSTEM PUBLIC ${expat_lib})
target_include_directories(expat PRIVATE ${expat_config})
# The library is linked in, not imported from a DLL.
target_compile_definitions(expat PUBLIC XML_STATIC)
add_library(EXPAT::EXPAT ALIAS expat)
