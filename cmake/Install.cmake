# Installs the game as Debian lays out games, and packs the same files into a
# .deb with CPack: `cmake --install` and `--target package` share these rules.

# Relative to the prefix; the launcher finds the rest from its own place.
set(VOK_INSTALL_GAMES_DIR games)
set(VOK_INSTALL_PROGRAM_DIR lib/games/vessa-or-korrin)
set(VOK_INSTALL_DATA_DIR share/games/vessa-or-korrin)
set(VOK_INSTALL_DOC_DIR share/doc/vessa-or-korrin)

set(VOK_PACKAGING_DIR ${CMAKE_BINARY_DIR}/packaging)
file(RELATIVE_PATH VOK_PROGRAM_FROM_LAUNCHER /p/${VOK_INSTALL_GAMES_DIR} /p/${VOK_INSTALL_PROGRAM_DIR})
file(RELATIVE_PATH VOK_DATA_FROM_LAUNCHER /p/${VOK_INSTALL_GAMES_DIR} /p/${VOK_INSTALL_DATA_DIR})
configure_file(${PROJECT_SOURCE_DIR}/packaging/vessa-or-korrin.sh.in
               ${VOK_PACKAGING_DIR}/vessa-or-korrin @ONLY)

# The package's version is the project's: a release needs its changelog entry.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog changelogTop LIMIT_COUNT 1)
if(NOT changelogTop MATCHES "^vessa-or-korrin \\(${PROJECT_VERSION}\\) ")
    message(WARNING "packaging/changelog has no entry for version ${PROJECT_VERSION} on top")
endif()

# Debian wants manual pages and changelogs gzipped with no name or time inside.
set(manual ${VOK_PACKAGING_DIR}/vessa-or-korrin.6)
set(changelog ${VOK_PACKAGING_DIR}/changelog)
set(gzipped)
foreach(file ${manual} ${changelog})
    get_filename_component(name ${file} NAME)
    add_custom_command(
        OUTPUT ${file}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${name} ${file}
        COMMAND gzip -9nf ${file}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${name}
        COMMENT "Compressing ${name}"
        VERBATIM)
    list(APPEND gzipped ${file}.gz)
endforeach()
# `cmake --install` builds nothing, so the compressed files come with the default build.
add_custom_target(packagingFiles ALL DEPENDS ${gzipped})

install(PROGRAMS ${VOK_PACKAGING_DIR}/vessa-or-korrin
        DESTINATION ${VOK_INSTALL_GAMES_DIR} COMPONENT game)
install(TARGETS vessa-or-korrin
        RUNTIME DESTINATION ${VOK_INSTALL_PROGRAM_DIR} COMPONENT game)
install(FILES ${VOK_RUN_DIR}/Gfx/DataVessa.dat ${VOK_RUN_DIR}/Gfx/DataKorrin.dat ${VOK_RUN_DIR}/Gfx/DataFont.dat
        DESTINATION ${VOK_INSTALL_DATA_DIR}/Gfx COMPONENT game)
install(FILES ${VOK_RUN_DIR}/Sfx/blockFall.wav ${VOK_RUN_DIR}/Sfx/blockKilled.wav
        DESTINATION ${VOK_INSTALL_DATA_DIR}/Sfx COMPONENT game)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vessa-or-korrin.desktop
        DESTINATION share/applications COMPONENT game)
# Software centres list only what has AppStream metadata.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vessa-or-korrin.metainfo.xml
        DESTINATION share/metainfo COMPONENT game)
foreach(size 48x48 128x128)
    install(FILES ${VOK_ICON_DIR}/${size}/vessa-or-korrin.png
            DESTINATION share/icons/hicolor/${size}/apps COMPONENT game)
endforeach()
install(FILES ${manual}.gz DESTINATION share/man/man6 COMPONENT game)
# What lintian reports on purpose, with the reason. Lintian checks AppStream metadata from
# Debian 13 on, and an override of a tag it does not know is an error of its own.
cmake_host_system_information(RESULT release QUERY DISTRIB_ID DISTRIB_VERSION_ID)
if(NOT release MATCHES "^debian;([0-9]+)$" OR CMAKE_MATCH_1 GREATER_EQUAL 13)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/vessa-or-korrin.lintian-overrides
            DESTINATION share/lintian/overrides RENAME vessa-or-korrin COMPONENT game)
endif()
# A native package: the changelog goes by its plain name.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${changelog}.gz
        DESTINATION ${VOK_INSTALL_DOC_DIR} COMPONENT game)

set(VOK_PACKAGE_MAINTAINER "Vessa Or Korrin developers <vessa-or-korrin@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vessa-or-korrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VOK_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "falling-block puzzle game with two rule sets")
set(CPACK_PACKAGE_DESCRIPTION [[
Pieces of four blocks fall into a playfield of 16 columns and 20 rows; move
and turn each piece until it lands. Two game types: in Tetris a filled row
vanishes and the stack above moves down; in Color a group of same-coloured
blocks vanishes as soon as it holds a straight line of four. Every kill makes
the pieces fall faster. The game keeps each player's ten best scores.]])
# Only the game: whatever else the build may one day install stays out.
set(CPACK_INSTALL_CMAKE_PROJECTS ${CMAKE_BINARY_DIR} ${PROJECT_NAME} game /)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The game's and the launcher's message boxes are xmessage windows; without it
# their texts go to stderr only.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS x11-utils)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Folders are made under the umask of whoever builds; the package's are 0755.
set(openFolders ${VOK_PACKAGING_DIR}/OpenFolders.cmake)
file(WRITE ${openFolders} [[
file(GLOB_RECURSE folders LIST_DIRECTORIES true ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
foreach(folder ${CPACK_TEMPORARY_INSTALL_DIRECTORY} ${folders})
    if(IS_DIRECTORY ${folder})
        file(CHMOD ${folder} DIRECTORY_PERMISSIONS
             OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    endif()
endforeach()
]])
set(CPACK_PRE_BUILD_SCRIPTS ${openFolders})
# The files carry the last commit's time, so that two builds of one source make the same bytes.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/SourceDateEpoch.cmake)
include(CPack)
