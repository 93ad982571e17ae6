# Installs the build into a scratch prefix and checks the desktop integration:
# both programs in bin, the .desktop entry, and the icon in the hicolor theme.
# Run as: cmake -DBUILD_DIR=... -DPREFIX=... -P dialog_install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/ridloe bin/ridloe-cli share/applications/ridloe.desktop share/mime/packages/ridloe.xml
        share/icons/hicolor/32x32/apps/ridloe.png share/icons/hicolor/48x48/apps/ridloe.png
        share/icons/hicolor/64x64/apps/ridloe.png)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/ridloe.desktop" entry)
foreach(line "Type=Application" "Exec=ridloe %f" "Icon=ridloe" "MimeType=application/x-mps-waypoints;")
  list(FIND entry "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "ridloe.desktop lacks ${line}")
  endif()
endforeach()
# The file types must be ones the desktop's database takes: build it from the
# installed package and find both types' magic and globs in it.
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
  execute_process(COMMAND "${UPDATE_MIME}" "${PREFIX}/share/mime" RESULT_VARIABLE result ERROR_VARIABLE errors)
  if(NOT result EQUAL 0 OR errors MATCHES "[Ee]rror|[Ww]arning")
    message(FATAL_ERROR "update-mime-database rejects ridloe.xml: ${errors}")
  endif()
  file(READ "${PREFIX}/share/mime/globs2" globs)
  file(READ "${PREFIX}/share/mime/magic" magic HEX)
  foreach(glob "application/x-mps-waypoints:\\*\\.mps" "application/x-wtr-waypoints:\\*\\.wtr")
    if(NOT globs MATCHES "${glob}")
      message(FATAL_ERROR "no glob ${glob} in the built database")
    endif()
  endforeach()
  # "MsRcd" and FF "Wpt" FF at offset 0.
  foreach(bytes 4d73526364 ff577074ff)
    if(NOT magic MATCHES "${bytes}")
      message(FATAL_ERROR "no magic ${bytes} in the built database")
    endif()
  endforeach()
else()
  message(WARNING "update-mime-database is not installed; the file types are not checked")
endif()
file(REMOVE_RECURSE "${PREFIX}")
