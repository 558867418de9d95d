# `cmake --install`: the program, its own files and its desktop entry in the GNU layout. The
# program finds its files from its own folder (platform/files/ResourceFolder.h), so the prefix
# may differ from the one configured, and the installed tree may be moved.
install(TARGETS tallomer RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Everything the build puts in share/tallomer is read at run time; the desktop integration files
# go where the desktop looks for them instead.
install(DIRECTORY ${TALLOMER_RESOURCE_DIR}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tallomer
        PATTERN desktop EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/org.tallomer.Tallomer.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/org.tallomer.Tallomer.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
