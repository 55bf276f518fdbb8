# What an installed Vorel consists of, in the GNU layout (/usr/bin, /usr/share/...):
# the three programs, the example system, and on Linux the desktop entry, the icon
# and the manual pages.
include(GNUInstallDirs)

# Installing, and so the package, takes what is built and builds nothing more: the
# package test after building only the programs (make check-package) stays quick.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# The build folder marker: a program started beside it keeps its diagnostic log
# there. The marker is never installed, so an installed program logs in the per-user
# data folder and writes nothing beside itself (io/QtLogEnvironment.h).
file(GENERATE OUTPUT "$<TARGET_FILE_DIR:vorel>/vorel-build-folder"
  CONTENT "The programs in this folder run where they were built and keep their diagnostic log beside them.\n")

install(TARGETS vorel vorelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET vorel-sim)
  install(TARGETS vorel-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/examples/laundry-demo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vorel/examples)

if(UNIX AND NOT APPLE)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/linux/vorel.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/vorel.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/icons/vorel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)

  # The manual pages, compressed as Debian keeps them; -n leaves the name and time out
  # of the header, so the same page always gives the same bytes.
  set(man_pages vorel.1 vorelctl.1)
  if(TARGET vorel-sim)
    list(APPEND man_pages vorel-sim.1)
  endif()
  find_program(VOREL_GZIP gzip)
  set(installed_pages)
  foreach(page ${man_pages})
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${page})
    if(VOREL_GZIP)
      set(copy ${CMAKE_BINARY_DIR}/man/${page})
      add_custom_command(OUTPUT ${copy}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${copy}
        COMMAND ${VOREL_GZIP} -n -9 -f ${copy}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
      list(APPEND installed_pages ${copy}.gz)
    else()
      list(APPEND installed_pages ${source})
    endif()
  endforeach()
  add_custom_target(vorel_man_pages ALL DEPENDS ${installed_pages})
  install(FILES ${installed_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
