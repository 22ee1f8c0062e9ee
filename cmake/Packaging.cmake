# Install rules and the Debian package: the program, the scanner, a desktop entry and the icon.
include(GNUInstallDirs)

if(TARGET roamdock)
    install(TARGETS roamdock RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/roamdock.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    if(EXISTS ${PROJECT_SOURCE_DIR}/resources/images/roamdock.png)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/images/roamdock.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
    endif()
endif()
if(TARGET roamdock-scan)
    install(TARGETS roamdock-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME roamdock)
set(CPACK_PACKAGE_VENDOR "Vantro")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Finds Vantro portable storage devices on the local network and opens them")
set(CPACK_PACKAGE_DESCRIPTION
    "Roamdock lists the Vantro pocket routers with a storage port that answer on the local network and opens their web administration page or their shared storage.")
set(CPACK_PACKAGE_CONTACT "Vantro Roamdock maintainers <roamdock@vantro.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_STRIP_FILES ON)
# setcap for the install step; the libraries from dpkg-shlibdeps (dpkg-dev) when it is there.
find_program(ROAMDOCK_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(ROAMDOCK_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libcap2-bin")
else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS
        "libcap2-bin, libc6 (>= 2.34), libstdc++6 (>= 12), libqt6core6 (>= 6.4.0), libqt6gui6 (>= 6.4.0), libqt6widgets6 (>= 6.4.0), libqt6network6 (>= 6.4.0), libqt6xml6 (>= 6.4.0), libboost-program-options1.74.0, libx11-6")
endif()
# xdg-open and gio for Log In and My Storage, which fail silently without them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, libglib2.0-bin")

# The installed program may bind port 67 without root; the window itself never needs root.
set(ROAMDOCK_INSTALLED_PROGRAM ${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/roamdock)
configure_file(${PROJECT_SOURCE_DIR}/packaging/postinst.in ${CMAKE_BINARY_DIR}/packaging/postinst
               @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
               WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
