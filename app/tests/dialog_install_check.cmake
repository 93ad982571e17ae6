# Installs the build into a scratch prefix and checks the desktop integration:
# both programs in bin, the .desktop entry, and the icon in the hicolor theme.
# Run as: cmake -DBUILD_DIR=... -DPREFIX=... -P dialog_install_check.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(path bin/ridloe bin/ridloe-cli share/applications/ridloe.desktop
        share/icons/hicolor/32x32/apps/ridloe.png share/icons/hicolor/48x48/apps/ridloe.png
        share/icons/hicolor/64x64/apps/ridloe.png)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/share/applications/ridloe.desktop" entry)
foreach(line "Type=Application" "Exec=ridloe" "Icon=ridloe")
  list(FIND entry "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "ridloe.desktop lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
