# The Windows program and its two packages: a zip to unzip anywhere writable, and an
# installer for one player that needs no administrator. Both are CPack's.
set(VOK_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
set(VOK_WINDOWS_ICON ${VOK_WINDOWS_DIR}/vessa-or-korrin.ico)
find_program(VOK_CONVERT convert REQUIRED)
# The Linux icons, at the sizes Explorer and the taskbar show.
add_custom_command(
    OUTPUT ${VOK_WINDOWS_ICON}
    COMMAND ${VOK_CONVERT} ${VOK_ICON_DIR}/128x128/vessa-or-korrin.png ${VOK_ICON_DIR}/48x48/vessa-or-korrin.png
            ( ${VOK_ICON_DIR}/48x48/vessa-or-korrin.png -resize 32x32 )
            ( ${VOK_ICON_DIR}/48x48/vessa-or-korrin.png -resize 16x16 ) ${VOK_WINDOWS_ICON}
    DEPENDS ${VOK_ICON_DIR}/128x128/vessa-or-korrin.png ${VOK_ICON_DIR}/48x48/vessa-or-korrin.png
    COMMENT "Making the Windows icon"
    VERBATIM)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/vessa-or-korrin.rc.in ${VOK_WINDOWS_DIR}/vessa-or-korrin.rc @ONLY)
set_source_files_properties(${VOK_WINDOWS_DIR}/vessa-or-korrin.rc PROPERTIES OBJECT_DEPENDS ${VOK_WINDOWS_ICON})
target_sources(vessa-or-korrin PRIVATE ${VOK_WINDOWS_DIR}/vessa-or-korrin.rc)
# A window and no console.
set_target_properties(vessa-or-korrin PROPERTIES WIN32_EXECUTABLE ON)
# Notepad of any age reads the text files.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/ReadMe.txt ${VOK_WINDOWS_DIR}/ReadMe.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright ${VOK_WINDOWS_DIR}/Copyright.txt @ONLY NEWLINE_STYLE CRLF)

# Everything in one folder: the program beside its Gfx/ and Sfx/, as it runs.
install(TARGETS vessa-or-korrin RUNTIME DESTINATION . COMPONENT game)
install(FILES ${VOK_RUN_DIR}/Gfx/DataVessa.dat ${VOK_RUN_DIR}/Gfx/DataKorrin.dat ${VOK_RUN_DIR}/Gfx/DataFont.dat
        DESTINATION Gfx COMPONENT game)
install(FILES ${VOK_RUN_DIR}/Sfx/blockFall.wav ${VOK_RUN_DIR}/Sfx/blockKilled.wav DESTINATION Sfx COMPONENT game)
install(FILES ${VOK_WINDOWS_DIR}/ReadMe.txt ${VOK_WINDOWS_DIR}/Copyright.txt DESTINATION . COMPONENT game)

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME vessa-or-korrin)
set(CPACK_PACKAGE_VENDOR "Vessa Or Korrin")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME vessa-or-korrin-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Vessa Or Korrin")
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY vessa-or-korrin)
set(CPACK_RESOURCE_FILE_LICENSE ${VOK_WINDOWS_DIR}/Copyright.txt)
set(CPACK_INSTALL_CMAKE_PROJECTS ${CMAKE_BINARY_DIR} ${PROJECT_NAME} game /)
set(CPACK_STRIP_FILES ON)

set(CPACK_NSIS_PACKAGE_NAME "Vessa Or Korrin")
set(CPACK_NSIS_DISPLAY_NAME "Vessa Or Korrin")
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\Programs")
set(CPACK_NSIS_MUI_ICON ${VOK_WINDOWS_ICON})
set(CPACK_NSIS_MUI_UNIICON ${VOK_WINDOWS_ICON})
set(CPACK_NSIS_INSTALLED_ICON_NAME vessa-or-korrin.exe)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# The shortcut starts the game in its folder, where it finds Gfx/, Sfx/ and its scores.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [[
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Vessa Or Korrin.lnk" "$INSTDIR\vessa-or-korrin.exe"
]])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [[
  Delete "$SMPROGRAMS\$MUI_TEMP\Vessa Or Korrin.lnk"
]])
# CPack's installer script, made for one player: a 64-bit installer run without
# administrator rights, whose files, shortcuts and uninstall entry are the player's own.
set(VOK_NSIS_DIR ${VOK_WINDOWS_DIR}/nsis)
foreach(dir ${CMAKE_ROOT}/Modules/Internal/CPack ${CMAKE_ROOT}/Modules)
    if(NOT template AND EXISTS ${dir}/NSIS.template.in)
        file(READ ${dir}/NSIS.template.in template)
    endif()
endforeach()
# After the first line, which holds the byte-order mark.
string(FIND "${template}" "\n" firstLine)
string(SUBSTRING "${template}" 0 ${firstLine} head)
string(SUBSTRING "${template}" ${firstLine} -1 template)
string(PREPEND template "${head}\nTarget amd64-unicode")
string(REPLACE "RequestExecutionLevel admin" "RequestExecutionLevel user" template "${template}")
string(REPLACE "SetShellVarContext all" "SetShellVarContext current" template "${template}")
string(REPLACE "StrCpy $SV_ALLUSERS \"AllUsers\"" "StrCpy $SV_ALLUSERS \"JustMe\"" template "${template}")
string(REPLACE "$DOCUMENTS\\@CPACK_PACKAGE_INSTALL_DIRECTORY@" "@CPACK_NSIS_INSTALL_ROOT@\\@CPACK_PACKAGE_INSTALL_DIRECTORY@"
       template "${template}")
string(REPLACE "HKLM \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
       "SHCTX \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" template "${template}")
file(WRITE ${VOK_NSIS_DIR}/NSIS.template.in "${template}")
list(PREPEND CMAKE_MODULE_PATH ${VOK_NSIS_DIR})

# The installer is named for what it is. The files carry the last commit's time,
# so that two builds of one commit make the same zip.
set(packageConfig ${VOK_WINDOWS_DIR}/PackageConfig.cmake)
file(WRITE ${packageConfig} "include([[${PROJECT_SOURCE_DIR}/cmake/SourceDateEpoch.cmake]])\n" [[
if(CPACK_GENERATOR STREQUAL "NSIS")
    string(APPEND CPACK_PACKAGE_FILE_NAME -setup)
endif()
]])
set(CPACK_PROJECT_CONFIG_FILE ${packageConfig})
include(CPack)
