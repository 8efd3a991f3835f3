# Windows test executables run under Wine. tests/wine/harness.sh gives them a
# private prefix and Xvfb display under this build folder; the ctest fixture
# "wine" starts both before the first Windows test and stops them (only this
# prefix's wineserver) after the last.
set(LUMET_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
set(LUMET_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
configure_file(${CMAKE_SOURCE_DIR}/tests/wine/wine-run.in ${LUMET_WINE_RUN}
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
                                GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${LUMET_WINE_RUN})

set(LUMET_WINE_HARNESS ${CMAKE_SOURCE_DIR}/tests/wine/harness.sh)
add_test(NAME wine.start COMMAND ${LUMET_WINE_HARNESS} start ${LUMET_WINE_STATE})
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
add_test(NAME wine.stop COMMAND ${LUMET_WINE_HARNESS} stop ${LUMET_WINE_STATE})
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)
