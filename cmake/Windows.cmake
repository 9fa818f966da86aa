# The Windows build, cross-compiled: Allegro as a static library built beforehand
# (scripts/windows.sh), and the art drawn by the asset tool built for this machine,
# so that the datafiles are the Linux build's, byte for byte.
set(VOK_ALLEGRO_PREFIX "" CACHE PATH "Where the static Allegro for Windows is installed")
set(VOK_HOST_ASSET_TOOL "" CACHE FILEPATH "The asset tool built for the building machine")
if(NOT EXISTS ${VOK_ALLEGRO_PREFIX}/lib/liballeg.a OR NOT EXISTS ${VOK_HOST_ASSET_TOOL})
    message(FATAL_ERROR "Set VOK_ALLEGRO_PREFIX and VOK_HOST_ASSET_TOOL, or build with scripts/windows.sh")
endif()

add_library(PkgConfig::ALLEGRO INTERFACE IMPORTED)
target_include_directories(PkgConfig::ALLEGRO INTERFACE ${VOK_ALLEGRO_PREFIX}/include)
target_compile_definitions(PkgConfig::ALLEGRO INTERFACE ALLEGRO_STATICLINK)
target_link_libraries(PkgConfig::ALLEGRO INTERFACE ${VOK_ALLEGRO_PREFIX}/lib/liballeg.a
    kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid winmm dsound ssp)

add_executable(assetTool IMPORTED)
set_target_properties(assetTool PROPERTIES IMPORTED_LOCATION ${VOK_HOST_ASSET_TOOL})

# Nothing but system DLLs beside the program (the stack and fortify checks are
# libssp's, linked in too), and no link time inside it.
add_link_options(-static -Wl,--no-insert-timestamp)
