# Installing the two programs as a desktop program is installed, and the
# Debian package made from that (cpack -G DEB in the build folder):
#   /usr/bin/quorvant, /usr/bin/quorvant-convert
#   /usr/lib/quorvant/libquorvant_system.so (found through the program's
#     RUNPATH when the runtime asks the system for it)
#   the desktop entry, the icon at the theme's sizes, AppStream metadata,
#   manual pages, bash completion, copyright and changelog.
set(QUORVANT_PACKAGE_ID io.github.quorvant.Quorvant)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS quorvant quorvant-convert RUNTIME DESTINATION bin)
install(TARGETS quorvant_system LIBRARY DESTINATION lib/quorvant)
set_target_properties(quorvant PROPERTIES INSTALL_RPATH "\$ORIGIN/../lib/quorvant")

# Files that carry the version, and the compressed manual pages and
# changelog, made at build time.
configure_file(${packaging}/${QUORVANT_PACKAGE_ID}.metainfo.xml ${staged}/${QUORVANT_PACKAGE_ID}.metainfo.xml @ONLY)
set(compressed)
foreach(page quorvant.1 quorvant-convert.1 changelog)
  configure_file(${packaging}/${page} ${staged}/${page} @ONLY)
  set(output ${staged}/${page}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${staged}/${page} > ${output}
    DEPENDS ${packaging}/${page} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_command(OUTPUT ${staged}/icons/256x256/apps/quorvant.png
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:desktop_icons> ${staged}/icons
  DEPENDS desktop_icons VERBATIM)
add_custom_target(quorvant_package_files ALL DEPENDS ${compressed} ${staged}/icons/256x256/apps/quorvant.png)

install(FILES ${packaging}/${QUORVANT_PACKAGE_ID}.desktop DESTINATION share/applications)
install(FILES ${staged}/${QUORVANT_PACKAGE_ID}.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${staged}/icons/ DESTINATION share/icons/hicolor)
install(FILES ${staged}/quorvant.1.gz ${staged}/quorvant-convert.1.gz DESTINATION share/man/man1)
install(FILES ${packaging}/quorvant-convert.bash DESTINATION share/bash-completion/completions
  RENAME quorvant-convert)
install(FILES ${packaging}/copyright ${staged}/changelog.gz DESTINATION share/doc/quorvant)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "Quorvant developers <quorvant@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture converter with a window and a command line")
# CPack puts the summary first and indents these lines below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quorvant converts a folder of pictures, or single pictures, into JPG, BMP,
PBM, PCX, PGM, PIC, PNG, PPM, SGI or TIF. It reads JPEG, 24-bit BMP, TIFF,
PNG, PCX and PhotoCD pictures. quorvant-convert does the same from the
command line, for scripts and for runs spread over many machines.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/quorvant/quorvant")
# The libraries the binaries link, as dpkg-shlibdeps finds them, and what
# they load or show at run time: Qt's X11 platform plugin, the caption
# fonts, Qt's Chinese translations, xdg-open for the output folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, fonts-arphic-uming, fonts-noto-cjk, qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
