# Installs the program the way a Linux desktop expects it and packs it as a
# Debian package (cpack --preset default). Included from the top-level list
# after the programs are defined.
#
# The paths below are fixed: the program looks for its help file in
# bin/../share/larkspool when none lies beside it.

# The desktop id names the menu entry, the icon and the AppStream component.
set(LARKSPOOL_APP_ID jp.vesprane.Larkspool)
set(LARKSPOOL_MAINTAINER "Studio Vesprane <larkspool@vesprane.jp>")
set(LARKSPOOL_HOMEPAGE "https://vesprane.jp/larkspool/")

# Folders the install creates are 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(packaging_out ${CMAKE_BINARY_DIR}/packaging)

install(TARGETS larkspool larkspool-cli RUNTIME DESTINATION bin)
install(FILES app/help/larkspool.hlp app/help/larkspool_en.hlp DESTINATION share/larkspool)

configure_file(${packaging_dir}/larkspool.desktop.in ${packaging_out}/${LARKSPOOL_APP_ID}.desktop @ONLY)
configure_file(${packaging_dir}/larkspool.metainfo.xml.in ${packaging_out}/${LARKSPOOL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${packaging_out}/${LARKSPOOL_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${packaging_out}/${LARKSPOOL_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# The icon: the program's own SVG, plus PNGs drawn from it for the menus that
# want bitmaps.
set(icon_svg ${CMAKE_SOURCE_DIR}/ui/common/icons/larkspool.svg)
install(FILES ${icon_svg} DESTINATION share/icons/hicolor/scalable/apps RENAME ${LARKSPOOL_APP_ID}.svg)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icon_pngs)
foreach(size 16 32 48 256)
    set(png ${packaging_out}/icons/${size}x${size}/${LARKSPOOL_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${icon_svg}
        DEPENDS ${icon_svg}
        COMMENT "Drawing the ${size}x${size} icon")
    install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
    list(APPEND icon_pngs ${png})
endforeach()
add_custom_target(larkspool_icons ALL DEPENDS ${icon_pngs})

# Manual pages and the package's documentation, compressed as Debian wants them.
find_program(GZIP gzip REQUIRED)
set(compressed_docs)
foreach(source larkspool.1 larkspool-cli.1 changelog)
    set(gz ${packaging_out}/${source}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${GZIP} -9 -n -c ${packaging_dir}/${source} > ${gz}
        DEPENDS ${packaging_dir}/${source}
        VERBATIM)
    list(APPEND compressed_docs ${gz})
endforeach()
add_custom_target(larkspool_docs ALL DEPENDS ${compressed_docs})
install(FILES ${packaging_out}/larkspool.1.gz ${packaging_out}/larkspool-cli.1.gz DESTINATION share/man/man1)
install(FILES ${packaging_out}/changelog.gz ${packaging_dir}/copyright DESTINATION share/doc/larkspool)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME larkspool)
set(CPACK_PACKAGE_VERSION ${LARKSPOOL_VERSION})
set(CPACK_PACKAGE_VENDOR "Studio Vesprane")
set(CPACK_PACKAGE_CONTACT ${LARKSPOOL_MAINTAINER})
set(CPACK_PACKAGE_INSTALL_DIRECTORY larkspool)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${LARKSPOOL_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "browse a web browser's cache as a folder tree")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Larkspool opens a browser's URL cache (the index.dat store with its
Content.IE5 folders) as a folder tree, shows its pages and files, and copies,
moves or deletes them into a folder under paths rebuilt from their URLs, with
the links inside exported pages rewritten so that the site browses offline.
It also imports a folder tree back into the cache.

The package holds the desktop program and larkspool-cli, its command-line
companion for scripts and batch recovery.")
include(CPack)
