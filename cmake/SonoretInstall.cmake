# Where everything goes on `cmake --install`, laid out as the desktop and the man and
# bash-completion tools look for it:
#   bin/                        sonoret, sonoret-manager
#   lib/sonoret/                libvocodec.so and the vocodec tool, ours alone
#   share/applications/         <app id>.desktop
#   share/icons/hicolor/        <app id>.svg and the PNG sizes rendered from it
#   share/metainfo/             <app id>.metainfo.xml
#   share/man/man1/             sonoret.1, sonoret-manager.1
#   share/bash-completion/completions/sonoret
include(GNUInstallDirs)

# The decoder is ours alone: it stays out of the system's library folders.
set(SONORET_INSTALL_PRIVATEDIR lib/sonoret CACHE STRING
    "Folder below the prefix for libvocodec.so and the vocodec tool")
set(SONORET_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(SONORET_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)

# The programs load the decoder by its bare name. The loader tries LD_LIBRARY_PATH first and
# then the program's run path, when that is a RUNPATH (an old-style RPATH would come before
# LD_LIBRARY_PATH). Built, the decoder lies beside the program ($ORIGIN); installed, in the
# private folder.
file(RELATIVE_PATH sonoret_bin_to_private
    /${CMAKE_INSTALL_BINDIR} /${SONORET_INSTALL_PRIVATEDIR})
set(sonoret_programs)
if(TARGET sonoret)
    list(APPEND sonoret_programs sonoret)
endif()
if(TARGET sonoret-manager)
    list(APPEND sonoret_programs sonoret-manager)
endif()
foreach(program IN LISTS sonoret_programs)
    set_target_properties(${program} PROPERTIES INSTALL_RPATH "$ORIGIN/${sonoret_bin_to_private}")
    target_link_options(${program} PRIVATE -Wl,--enable-new-dtags)
endforeach()
# The decoder and the vocodec tool need nothing of ours at run time.
set_target_properties(vocodec vocodec_cli PROPERTIES INSTALL_RPATH "")

install(TARGETS ${sonoret_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vocodec vocodec_cli
    LIBRARY DESTINATION ${SONORET_INSTALL_PRIVATEDIR}
    RUNTIME DESTINATION ${SONORET_INSTALL_PRIVATEDIR})

# Man pages, compressed as the man tools and the package expect them.
find_program(SONORET_GZIP gzip REQUIRED)
set(sonoret_man_pages sonoret.1)
if(TARGET sonoret-manager)
    list(APPEND sonoret_man_pages sonoret-manager.1)
endif()
set(sonoret_man_outputs)
foreach(page IN LISTS sonoret_man_pages)
    set(source ${SONORET_PACKAGING_DIR}/man/${page})
    set(output ${SONORET_PACKAGING_OUT}/man/${page}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${SONORET_PACKAGING_OUT}/man
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${SONORET_PACKAGING_OUT}/man/${page}
        COMMAND ${SONORET_GZIP} -9 -n -f ${SONORET_PACKAGING_OUT}/man/${page}
        DEPENDS ${source}
        COMMENT "Compressing the man page ${page}"
        VERBATIM)
    list(APPEND sonoret_man_outputs ${output})
endforeach()
add_custom_target(sonoret_man_pages ALL DEPENDS ${sonoret_man_outputs})
install(FILES ${sonoret_man_outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${SONORET_PACKAGING_DIR}/completion/sonoret
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

if(NOT TARGET sonoret-manager)
    return()
endif()

# The desktop entry and the AppStream data, named after the application id the window gives
# itself (sonoret_version.h).
configure_file(${SONORET_PACKAGING_DIR}/sonoret-manager.desktop.in
    ${SONORET_PACKAGING_OUT}/${SONORET_APP_ID}.desktop @ONLY)
configure_file(${SONORET_PACKAGING_DIR}/sonoret-manager.metainfo.xml.in
    ${SONORET_PACKAGING_OUT}/${SONORET_APP_ID}.metainfo.xml @ONLY)
install(FILES ${SONORET_PACKAGING_OUT}/${SONORET_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${SONORET_PACKAGING_OUT}/${SONORET_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon: one drawing, the SVG; the PNG sizes of the icon theme and the window's own icon
# are rendered from it.
find_program(SONORET_RSVG_CONVERT rsvg-convert)
if(NOT SONORET_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert (Debian package librsvg2-bin) is needed to render the "
                        "program's icon; ./manage installs it")
endif()
set(sonoret_icon_svg ${SONORET_PACKAGING_DIR}/icons/${SONORET_APP_ID}.svg)
set(sonoret_icon_root ${SONORET_PACKAGING_OUT}/icons)
set(sonoret_icon_pngs)
foreach(size 16 22 24 32 48 64 128 256)
    set(folder ${sonoret_icon_root}/hicolor/${size}x${size}/apps)
    set(png ${folder}/${SONORET_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${SONORET_RSVG_CONVERT} --width ${size} --height ${size} --keep-aspect-ratio
                --output ${png} ${sonoret_icon_svg}
        DEPENDS ${sonoret_icon_svg}
        COMMENT "Rendering the ${size}x${size} icon"
        VERBATIM)
    list(APPEND sonoret_icon_pngs ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${sonoret_icon_svg} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The window's icon (res::AppIcon) reads the same PNGs from its resources.
qt_add_resources(sonoret_gui sonoret_app_icon
    PREFIX /
    BASE ${sonoret_icon_root}
    FILES ${sonoret_icon_pngs})
