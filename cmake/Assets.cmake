# Builds the game's datafiles and sounds into the run directory.
set(VOK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${VOK_GENERATED_DIR})
add_custom_target(assetHeaders)
add_custom_target(assets)
