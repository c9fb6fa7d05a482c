# Where an installed program keeps its files, the desktop integration, the manual, and the
# Debian package built from the same install rules by CPack (make deb).
include(GNUInstallDirs)

set(DANCEHALL_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
set(DANCEHALL_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/dancehall)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The manual and its screenshots sit beside the program's folder in the build as they do in
# an installation (<bin>/../share/doc/dancehall), so the main window's link finds it in both.
file(GLOB DANCEHALL_MANUAL_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/manual/*)
file(GLOB DANCEHALL_SCREENSHOTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/screenshots/*.png)
set(manual_outputs)
foreach(source IN LISTS DANCEHALL_MANUAL_FILES DANCEHALL_SCREENSHOTS)
  get_filename_component(name ${source} NAME)
  get_filename_component(folder ${source} DIRECTORY)
  get_filename_component(folder ${folder} NAME)
  set(output ${DANCEHALL_BUILD_DOC}/${folder}/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    DEPENDS ${source} VERBATIM)
  list(APPEND manual_outputs ${output})
endforeach()
# The remote page and the marquee as a browser shows them.
file(GLOB DANCEHALL_BROWSER_SHOTS CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/docs/screenshots/browser/*.png)
foreach(source IN LISTS DANCEHALL_BROWSER_SHOTS)
  get_filename_component(name ${source} NAME)
  set(output ${DANCEHALL_BUILD_DOC}/screenshots/browser/${name})
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
    DEPENDS ${source} VERBATIM)
  list(APPEND manual_outputs ${output})
endforeach()
add_custom_target(manual ALL DEPENDS ${manual_outputs})

# Theme icons from the program's own icon file, one per size it holds.
set(DANCEHALL_ICONS ${CMAKE_BINARY_DIR}/icons/hicolor)
add_custom_command(OUTPUT ${DANCEHALL_ICONS}/16x16/apps/dancehall.png
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DANCEHALL_ICONS}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:iconset>
          ${PROJECT_SOURCE_DIR}/ui/templates/art/dancehall.ico ${DANCEHALL_ICONS} dancehall
  DEPENDS iconset ${PROJECT_SOURCE_DIR}/ui/templates/art/dancehall.ico
  COMMENT "Theme icons" VERBATIM)

# Debian wants the man page and the change log compressed without a time stamp.
set(DANCEHALL_MAN ${CMAKE_BINARY_DIR}/packaging/dancehall.1.gz)
set(DANCEHALL_CHANGELOG ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
foreach(pair "dancehall.1:${DANCEHALL_MAN}" "changelog:${DANCEHALL_CHANGELOG}")
  string(REPLACE ":" ";" pair ${pair})
  list(GET pair 0 source)
  list(GET pair 1 output)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9n -c ${DANCEHALL_PACKAGING}/${source} > ${output}
    DEPENDS ${DANCEHALL_PACKAGING}/${source} VERBATIM)
endforeach()
add_custom_target(packaging_files ALL
  DEPENDS ${DANCEHALL_ICONS}/16x16/apps/dancehall.png ${DANCEHALL_MAN} ${DANCEHALL_CHANGELOG})

install(TARGETS dancehall RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The shipped defaults: everything the build assembled beside the program, but the program.
install(DIRECTORY ${DANCEHALL_DIST}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/dancehall
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
  PATTERN dancehall EXCLUDE)
install(DIRECTORY ${DANCEHALL_ICONS} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(FILES ${DANCEHALL_PACKAGING}/dancehall.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${DANCEHALL_PACKAGING}/dancehall.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${DANCEHALL_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${DANCEHALL_PACKAGING}/copyright ${DANCEHALL_CHANGELOG}
  DESTINATION ${DANCEHALL_DOC_DIR})
install(FILES ${DANCEHALL_PACKAGING}/dancehall-manual.doc-base
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base RENAME dancehall-manual)
install(DIRECTORY ${DANCEHALL_BUILD_DOC}/manual ${DANCEHALL_BUILD_DOC}/screenshots
  DESTINATION ${DANCEHALL_DOC_DIR}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dancehall)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Dance hall player developers <dancehall@lists.dancehall.invalid>")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for the evening's dance shows of a dance hall")
# The summary above is the synopsis line; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "The operator of a dance hall builds shows (play lists of music styles and
their tracks), plays them track after track with each style's volume,
fade-in and time limit, moves the show on at a set time of day and follows
the light program of each style on a sixteen-lamp indicator panel.
The user interface is in Chinese. Data files of an existing installation
open unchanged and can be brought over with --import.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Found by no library link: the desktop's Qt platform plugins and a font with Chinese glyphs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
