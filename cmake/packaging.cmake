# Installing the two programs as a desktop program is installed, and the two
# Debian packages made from that by one `cpack -G DEB` in the build folder:
#   quorvant-convert (component `convert`): /usr/bin/quorvant-convert, its
#     manual page and bash completion, and docs/scaling.md; no Qt, so it
#     serves servers, containers and batch machines alone.
#   quorvant (component `window`): /usr/bin/quorvant,
#     /usr/lib/quorvant/libquorvant_system.so (found through the program's
#     RUNPATH when the runtime asks the system for it), the desktop entry,
#     the icon at the theme's sizes, AppStream metadata and its manual page;
#     it depends on quorvant-convert of the same version.
# Each has the copyright and changelog in its own /usr/share/doc folder.
set(QUORVANT_PACKAGE_ID io.github.quorvant.Quorvant)
set(packaging ${PROJECT_SOURCE_DIR}/packaging)
set(staged ${PROJECT_BINARY_DIR}/packaging)

# The maintainer is whoever makes the packages, named as Debian's own tools
# take it: DEBFULLNAME and DEBEMAIL when set, else the author of the commit
# the packages are built from. The project has no address of its own, and
# an address made up here would be one nobody reads.
# -DQUORVANT_MAINTAINER overrides both.
if(DEFINED ENV{DEBEMAIL} AND NOT "$ENV{DEBEMAIL}" STREQUAL "")
  if("$ENV{DEBEMAIL}" MATCHES "<")
    set(default_maintainer "$ENV{DEBEMAIL}")
  else()
    set(default_maintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
  endif()
else()
  execute_process(COMMAND git -C ${PROJECT_SOURCE_DIR} log -1 "--format=%an <%ae>"
    OUTPUT_VARIABLE default_maintainer OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
set(QUORVANT_MAINTAINER "${default_maintainer}" CACHE STRING "The packages' Maintainer: name <address>")
if(QUORVANT_MAINTAINER MATCHES "no-?reply")
  message(WARNING "The packages' maintainer, ${QUORVANT_MAINTAINER}, is an address nobody reads: "
    "set DEBFULLNAME and DEBEMAIL, or -DQUORVANT_MAINTAINER")
endif()
if(NOT QUORVANT_MAINTAINER)
  message(WARNING "No git history to take the packages' maintainer from: cpack needs -DQUORVANT_MAINTAINER")
endif()

install(TARGETS quorvant-convert RUNTIME DESTINATION bin COMPONENT convert)
install(TARGETS quorvant_more_formats LIBRARY DESTINATION lib/quorvant COMPONENT convert)
set_target_properties(quorvant-convert PROPERTIES INSTALL_RPATH "\$ORIGIN/../lib/quorvant")
install(TARGETS quorvant RUNTIME DESTINATION bin COMPONENT window)
install(TARGETS quorvant_system LIBRARY DESTINATION lib/quorvant COMPONENT window)
set_target_properties(quorvant PROPERTIES INSTALL_RPATH "\$ORIGIN/../lib/quorvant")

# CPack's strip removes the symbols but keeps the compiler's version notes
# (.comment, .note), which Debian's packages do not carry.
function(quorvant_strip_notes component file)
  install(CODE "execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment --remove-section=.note
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\" COMMAND_ERROR_IS_FATAL ANY)" COMPONENT ${component})
endfunction()
quorvant_strip_notes(convert bin/quorvant-convert)
quorvant_strip_notes(convert lib/quorvant/libquorvant_more_formats.so)
quorvant_strip_notes(window bin/quorvant)
quorvant_strip_notes(window lib/quorvant/libquorvant_system.so)

# Files that carry the version or the maintainer, and the compressed manual
# pages, changelog and scaling recipes, made at build time (gzip -n: no name
# or time inside, so the packages come out the same twice).
configure_file(${packaging}/${QUORVANT_PACKAGE_ID}.metainfo.xml ${staged}/${QUORVANT_PACKAGE_ID}.metainfo.xml @ONLY)
set(compressed)
foreach(page quorvant.1 quorvant-convert.1 changelog scaling.md)
  if(page STREQUAL scaling.md)
    set(source ${PROJECT_SOURCE_DIR}/docs/${page})
    set(input ${source})
  else()
    set(source ${packaging}/${page})
    set(input ${staged}/${page})
    configure_file(${source} ${input} @ONLY)
  endif()
  set(output ${staged}/${page}.gz)
  add_custom_command(OUTPUT ${output}
    COMMAND gzip -9nc ${input} > ${output}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${output})
endforeach()
add_custom_command(OUTPUT ${staged}/icons/256x256/apps/quorvant.png
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:desktop_icons> ${staged}/icons
  DEPENDS desktop_icons VERBATIM)
# The completion's --to choices and the desktop entry's MIME types come from
# the table of picture formats.
set(listed)
foreach(file quorvant-convert.bash ${QUORVANT_PACKAGE_ID}.desktop)
  add_custom_command(OUTPUT ${staged}/${file}
    COMMAND format_lists ${packaging}/${file} ${staged}/${file}
    DEPENDS format_lists ${packaging}/${file} VERBATIM)
  list(APPEND listed ${staged}/${file})
endforeach()
add_custom_target(quorvant_package_files ALL
  DEPENDS ${compressed} ${listed} ${staged}/icons/256x256/apps/quorvant.png)

install(FILES ${staged}/quorvant-convert.1.gz DESTINATION share/man/man1 COMPONENT convert)
install(FILES ${staged}/quorvant-convert.bash DESTINATION share/bash-completion/completions
  RENAME quorvant-convert COMPONENT convert)
install(FILES ${packaging}/copyright ${staged}/changelog.gz ${staged}/scaling.md.gz
  DESTINATION share/doc/quorvant-convert COMPONENT convert)

install(FILES ${staged}/${QUORVANT_PACKAGE_ID}.desktop DESTINATION share/applications COMPONENT window)
install(FILES ${staged}/${QUORVANT_PACKAGE_ID}.metainfo.xml DESTINATION share/metainfo COMPONENT window)
install(DIRECTORY ${staged}/icons/ DESTINATION share/icons/hicolor COMPONENT window)
install(FILES ${staged}/quorvant.1.gz DESTINATION share/man/man1 COMPONENT window)
install(FILES ${packaging}/copyright ${staged}/changelog.gz DESTINATION share/doc/quorvant COMPONENT window)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvant)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "${QUORVANT_MAINTAINER}")
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL convert window)
set(CPACK_DEBIAN_WINDOW_PACKAGE_NAME quorvant)
set(CPACK_DEBIAN_CONVERT_PACKAGE_NAME quorvant-convert)
set(CPACK_DEBIAN_PACKAGE_SOURCE quorvant)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# No CPACK_PACKAGE_DESCRIPTION_SUMMARY: CPack would put that one line above
# both packages' descriptions; each first line below is its package's summary.
set(CPACK_DEBIAN_CONVERT_DESCRIPTION "picture converter for the command line
quorvant-convert converts single pictures, or folders of them, into JPG, BMP,
PBM, PCX, PGM, PIC, PNG, PPM, SGI, TIF, WebP, AVIF or JPEG XL. It reads JPEG,
24-bit BMP, TIFF, PNG, PCX, PhotoCD, WebP, AVIF, HEIC, GIF and JPEG XL
pictures, keeps photos upright and in their colours with their metadata,
converts several at once, and can convert one
share of a list of files, the same share on every machine, for runs spread
over many machines with GNU parallel, Slurm or Kubernetes.")
set(CPACK_DEBIAN_WINDOW_DESCRIPTION "picture converter with a window
Quorvant converts a folder of pictures, or single pictures, into JPG, BMP,
PBM, PCX, PGM, PIC, PNG, PPM, SGI or TIF, with the quality, smoothing and
colour of JPEG files to choose. It reads JPEG, 24-bit BMP, TIFF, PNG, PCX and
PhotoCD pictures. The command line converter it shares its engine with is
the package quorvant-convert.")
# The libraries the binaries link, as dpkg-shlibdeps finds them; the window
# also needs what it loads or shows at run time: Qt's X11 platform plugin,
# the caption fonts, a Latin face for file names, Qt's Chinese translations,
# xdg-open for the output folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_WINDOW_PACKAGE_DEPENDS "quorvant-convert (= ${PROJECT_VERSION}), qt6-qpa-plugins, \
fonts-arphic-uming, fonts-noto-cjk, fonts-dejavu-core, qt6-translations-l10n, xdg-utils")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
