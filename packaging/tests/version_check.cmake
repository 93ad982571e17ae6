# The one version, as each place that tells it tells it: ridloe-cli
# --version, the GPX creator (the major and minor version), the top entry of
# the Debian changelog and the metainfo's last release.
#   cmake -DCLI=... -DVERSION=... -DSOURCE_DIR=... -DSAMPLE=... -DWORK=... -P version_check.cmake
string(REGEX MATCH "^[0-9]+\\.[0-9]+" major_minor "${VERSION}")
set(failures "")

execute_process(COMMAND "${CLI}" --version OUTPUT_VARIABLE said RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT said STREQUAL "ridloe-cli ${VERSION}\n")
  string(APPEND failures "ridloe-cli --version says \"${said}\", not ridloe-cli ${VERSION}\n")
endif()

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
file(COPY "${SAMPLE}" DESTINATION "${WORK}")
get_filename_component(name "${SAMPLE}" NAME_WE)
execute_process(COMMAND "${CLI}" convert --to gpx "${WORK}/${name}.mps" RESULT_VARIABLE result ERROR_VARIABLE errors)
file(STRINGS "${WORK}/${name}.gpx" creator REGEX "creator=" LIMIT_COUNT 1)
if(NOT creator MATCHES " creator=\"Ridloe ${major_minor}\" ")
  string(APPEND failures "the GPX creator is not \"Ridloe ${major_minor}\": ${creator} ${errors}\n")
endif()

file(STRINGS "${SOURCE_DIR}/packaging/changelog" entry LIMIT_COUNT 1)
if(NOT entry MATCHES "^ridloe \\(${VERSION}\\) ")
  string(APPEND failures "packaging/changelog's top entry is not ${VERSION}: ${entry}\n")
endif()
file(STRINGS "${SOURCE_DIR}/app/ridloe.metainfo.xml.in" release REGEX "<release " LIMIT_COUNT 1)
if(NOT release MATCHES "<release version=\"${VERSION}\"")
  string(APPEND failures "the metainfo's last release is not ${VERSION}: ${release}\n")
endif()

file(REMOVE_RECURSE "${WORK}")
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message(STATUS "version ${VERSION} everywhere")
