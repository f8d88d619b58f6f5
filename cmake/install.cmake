# Installing the show the way Debian lays out a game (paths under the prefix):
#   games/mijotine                        the command: a launcher that starts the
#                                         program from the data folder
#   lib/games/mijotine/mijotine           the program
#   share/games/mijotine/data/            the data set, which the program reads as ./data/
#   share/applications/mijotine.desktop   the menu entry
#   share/icons/hicolor/<n>x<n>/apps/mijotine.png   the icon at 32, 48, 64, 128, 256 px
#   share/metainfo/org.example.mijotine.metainfo.xml   the software centre's description
#   share/man/man6/mijotine.6             the manual
#   games/mijotine-record, share/man/man1/mijotine-record.1   the recorder and its
#                                         manual, where FFmpeg's libraries are found
#   share/doc/mijotine/copyright          who made what, and the licences
#   share/doc/mijotine/scroll-text.txt    the scroll text, to read as text
# `cmake --install <build>` installs, the `uninstall` target (or
# `cmake -DMANIFEST=<build>/install_manifest.txt -P cmake/uninstall.cmake`) removes
# every file it installed and every folder it had to create; both honour
# DESTDIR, which must then be the same for both.
include(GNUInstallDirs)

set(MIJOTINE_GAMESDIR games CACHE STRING "Folder of the mijotine command, under the prefix")
set(MIJOTINE_PROGRAMDIR lib/games/mijotine CACHE STRING "Folder of the program itself, under the prefix")
set(MIJOTINE_DATAROOT ${CMAKE_INSTALL_DATADIR}/games/mijotine CACHE STRING
  "Folder that holds data/, under the prefix; the launcher starts the program there")
option(MIJOTINE_SYSTEM_FONT "Install the data set's font as a link to the system's DejaVu font, not a copy" OFF)

set(MIJOTINE_APPID org.example.mijotine)
set(DIST_SOURCE_DIR ${CMAKE_SOURCE_DIR}/dist)
set(DIST_BINARY_DIR ${CMAKE_BINARY_DIR}/dist)

# The icons: the same art as data/icon.jpg, drawn afresh at every size.
set(INSTALL_ICON_SIZES 32 48 64 128 256)
set(INSTALL_ICON_FILES)
foreach(size ${INSTALL_ICON_SIZES})
  list(APPEND INSTALL_ICON_FILES ${DIST_BINARY_DIR}/icons/icon-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${INSTALL_ICON_FILES}
  COMMAND mkpictures --icons ${DIST_BINARY_DIR}/icons
  DEPENDS mkpictures
  COMMENT "Drawing the menu icons")
add_custom_target(menu-icons ALL DEPENDS ${INSTALL_ICON_FILES})

# The launcher finds the program and the data relative to itself, so that the
# installed tree works wherever the prefix (or DESTDIR, or dpkg's root) puts it.
file(RELATIVE_PATH LAUNCHER_DATA /${MIJOTINE_GAMESDIR} /${MIJOTINE_DATAROOT})
file(RELATIVE_PATH LAUNCHER_PROGRAM /${MIJOTINE_GAMESDIR} /${MIJOTINE_PROGRAMDIR}/mijotine)
configure_file(${DIST_SOURCE_DIR}/mijotine.in ${DIST_BINARY_DIR}/mijotine @ONLY)

# The scroll text as plain text, beside the copyright.
set(SCROLL_TEXT_FILE ${DIST_BINARY_DIR}/scroll-text.txt)
add_custom_command(
  OUTPUT ${SCROLL_TEXT_FILE}
  COMMAND mkscrolltext ${SCROLL_TEXT_FILE}
  DEPENDS mkscrolltext
  COMMENT "Writing the scroll text as plain text")
add_custom_target(scroll-text ALL DEPENDS ${SCROLL_TEXT_FILE})

# The manual names the installed paths.
set(MAN_DATAROOT ${CMAKE_INSTALL_PREFIX}/${MIJOTINE_DATAROOT})
set(MAN_DOCDIR ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/doc/mijotine)
set(MAN_PROGRAMDIR ${CMAKE_INSTALL_PREFIX}/${MIJOTINE_PROGRAMDIR})
configure_file(${DIST_SOURCE_DIR}/mijotine.6.in ${DIST_BINARY_DIR}/mijotine.6 @ONLY)

# Every folder the installation has to create is written down, so that
# uninstalling removes exactly those (and never a folder that was there before).
set(MIJOTINE_INSTALL_DIRS
  ${MIJOTINE_GAMESDIR} ${MIJOTINE_PROGRAMDIR} ${MIJOTINE_DATAROOT}/data
  ${CMAKE_INSTALL_DATADIR}/applications ${CMAKE_INSTALL_DATADIR}/metainfo
  ${CMAKE_INSTALL_MANDIR}/man6 ${CMAKE_INSTALL_MANDIR}/man1 ${CMAKE_INSTALL_DATADIR}/doc/mijotine)
foreach(size ${INSTALL_ICON_SIZES})
  list(APPEND MIJOTINE_INSTALL_DIRS ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
# The record's first line names the destination; installing again to the
# same one keeps what the first installation created.
install(CODE "
  set(record \"${CMAKE_BINARY_DIR}/install_dirs.txt\")
  set(where \"# \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(created)
  if(EXISTS \"\${record}\")
    file(STRINGS \"\${record}\" lines)
    list(GET lines 0 first)
    if(first STREQUAL where)
      list(REMOVE_AT lines 0)
      set(created \${lines})
    endif()
  endif()
  foreach(rel ${MIJOTINE_INSTALL_DIRS})
    set(dir \"\${CMAKE_INSTALL_PREFIX}/\${rel}\")
    while(NOT EXISTS \"\$ENV{DESTDIR}\${dir}\" AND NOT dir STREQUAL \"/\")
      list(APPEND created \"\${dir}\")
      get_filename_component(dir \"\${dir}\" DIRECTORY)
    endwhile()
  endforeach()
  list(REMOVE_DUPLICATES created)
  string(REPLACE \";\" \"\\n\" lines \"\${where};\${created}\")
  file(WRITE \"\${record}\" \"\${lines}\\n\")
")

install(PROGRAMS ${DIST_BINARY_DIR}/mijotine DESTINATION ${MIJOTINE_GAMESDIR})
install(TARGETS mijotine RUNTIME DESTINATION ${MIJOTINE_PROGRAMDIR})

mijotine_data_files(INSTALL_DATA_FILES Pictures Song)
mijotine_data_files(INSTALL_FINER_FILES Finer)
list(APPEND INSTALL_DATA_FILES ${INSTALL_FINER_FILES})
list(TRANSFORM INSTALL_DATA_FILES PREPEND ${DATA_DIR}/)
install(FILES ${INSTALL_DATA_FILES} DESTINATION ${MIJOTINE_DATAROOT}/data)
if(MIJOTINE_SYSTEM_FONT)
  # Debian's way: one copy of a font on the system, from its own package.
  file(CREATE_LINK ${FONT_SOURCE} ${DIST_BINARY_DIR}/${FONT_FILE} SYMBOLIC)
  install(FILES ${DIST_BINARY_DIR}/${FONT_FILE} DESTINATION ${MIJOTINE_DATAROOT}/data)
else()
  install(FILES ${DATA_DIR}/${FONT_FILE} DESTINATION ${MIJOTINE_DATAROOT}/data)
endif()

install(FILES ${DIST_SOURCE_DIR}/mijotine.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${INSTALL_ICON_SIZES})
  install(FILES ${DIST_BINARY_DIR}/icons/icon-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME mijotine.png)
endforeach()
install(FILES ${DIST_SOURCE_DIR}/${MIJOTINE_APPID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DIST_BINARY_DIR}/mijotine.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/debian/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mijotine)
install(FILES ${SCROLL_TEXT_FILE} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/mijotine)

# What `cmake --install` needs built (`make install` builds just this).
add_custom_target(installable)
add_dependencies(installable mijotine data menu-icons scroll-text)

# The recorder, where the tree has one, is installed beside the command with
# its manual; its target may be defined after this file is read, so the rule
# is added once the whole project is known.
function(mijotine_install_recorder)
  if(TARGET mijotine-record)
    install(TARGETS mijotine-record RUNTIME DESTINATION ${MIJOTINE_GAMESDIR})
    add_dependencies(installable mijotine-record)
    # The manual is made from the recorder's own --help and --version, with
    # the tour format, examples and exit statuses from dist/mijotine-record.h2m;
    # help2man dates it by SOURCE_DATE_EPOCH where that is set.
    find_program(HELP2MAN help2man)
    if(HELP2MAN)
      set(page ${DIST_BINARY_DIR}/mijotine-record.1)
      add_custom_command(OUTPUT ${page}
        COMMAND ${HELP2MAN} --no-info --section=1 --manual=Mijotine
                --include=${DIST_SOURCE_DIR}/mijotine-record.h2m --output=${page}
                $<TARGET_FILE:mijotine-record>
        DEPENDS mijotine-record ${DIST_SOURCE_DIR}/mijotine-record.h2m
        COMMENT "Writing the recorder's manual page")
      add_custom_target(recorder-manual ALL DEPENDS ${page})
      add_dependencies(installable recorder-manual)
      install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
      message(STATUS "help2man not found: the recorder's manual page is not made")
    endif()
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL mijotine_install_recorder)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/uninstall.cmake
  COMMENT "Removing what cmake --install put in place")
