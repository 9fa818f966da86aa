# Builds the game's datafiles and sounds into the run directory, the index
# headers dat writes for the datafiles, and the application icon.
set(VOK_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(VOK_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(VOK_ART_DIR ${VOK_GENERATED_DIR}/art)
file(MAKE_DIRECTORY ${VOK_GENERATED_DIR} ${VOK_ART_DIR})

find_program(VOK_DAT dat REQUIRED)
set(VOK_FONT_DIR /usr/share/fonts/opentype/comic-neue)

# Packs images into a datafile, naming each object after its file (block0_red.bmp
# becomes BLOCK0_RED); dat keeps objects sorted by name, so the names give their
# order. dat's index header goes to HEADER, or is only checked against the
# datafile SAME_NAMES_AS packed before.
# The datafile is built in the art folder and copied into place last, so a
# failed step leaves none behind.
function(vok_pack_datafile datafile)
    cmake_parse_arguments(PACK "" "TYPE;BPP;HEADER;SAME_NAMES_AS" "IMAGES" ${ARGN})
    get_filename_component(work ${datafile} NAME)
    get_filename_component(workHeader ${datafile} NAME_WE)
    set(workHeader ${workHeader}.h)
    set(options -t ${PACK_TYPE})
    if(PACK_BPP)
        list(APPEND options -bpp ${PACK_BPP})
    endif()
    set(renames)
    foreach(image ${PACK_IMAGES})
        get_filename_component(name ${image} NAME_WE)
        get_filename_component(ext ${image} EXT)
        string(TOUPPER ${name} name)
        string(TOUPPER ${ext} ext)
        string(REPLACE "." "_" ext ${ext})
        list(APPEND renames COMMAND ${VOK_DAT} ${work} ${name}${ext} NAME=${name})
    endforeach()
    set(script ${PROJECT_SOURCE_DIR}/tools/IndexHeader.cmake)
    if(PACK_HEADER)
        set(header BYPRODUCTS ${PACK_HEADER})
        set(headerStep COMMAND ${CMAKE_COMMAND} -DMODE=update -DNEW=${workHeader} -DOLD=${PACK_HEADER} -P ${script})
    else()
        get_filename_component(otherHeader ${PACK_SAME_NAMES_AS} NAME_WE)
        set(header)
        set(headerStep COMMAND ${CMAKE_COMMAND} -DMODE=check -DNEW=${workHeader} -DOLD=${otherHeader}.h -P ${script})
    endif()
    get_filename_component(datafileDir ${datafile} DIRECTORY)
    add_custom_command(
        OUTPUT ${datafile}
        ${header}
        COMMAND ${CMAKE_COMMAND} -E rm -f ${work}
        COMMAND ${VOK_DAT} -a ${options} ${work} ${PACK_IMAGES}
        ${renames}
        # -s1 drops the grabber's notes (source paths, dates) from the file.
        COMMAND ${VOK_DAT} -s1 ${work} -h ${workHeader}
        ${headerStep}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${datafileDir}
        COMMAND ${CMAKE_COMMAND} -E copy ${work} ${datafile}
        DEPENDS ${PACK_IMAGES} ${script} ${PACK_SAME_NAMES_AS}
        WORKING_DIRECTORY ${VOK_ART_DIR}
        COMMENT "Packing ${work}"
        VERBATIM)
endfunction()

# The game picks blocks and fonts by number: the digits keep them in its order.
set(colourFiles block0_red.bmp block1_blue.bmp block2_green.bmp block3_yellow.bmp)
set(themeNames Vessa Korrin)
foreach(theme 0 1)
    list(GET themeNames ${theme} themeName)
    set(themeDir ${VOK_ART_DIR}/${themeName})
    list(TRANSFORM colourFiles PREPEND ${themeDir}/ OUTPUT_VARIABLE ${themeName}Images)
    add_custom_command(
        OUTPUT ${${themeName}Images}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${themeDir}
        COMMAND assetTool theme ${theme} ${themeDir}
        DEPENDS assetTool
        COMMENT "Drawing the ${themeName} blocks"
        VERBATIM)
endforeach()

# Font objects in the game's order: small, medium, big, credit. The big size
# is the largest at which the three title words stay over half a space apart.
set(fonts
    font0_small ComicNeue-Bold 16
    font1_medium ComicNeue-Bold 26
    font2_big ComicNeue-Bold 42
    font3_credit ComicNeue-Regular 13)
set(fontSheets)
while(fonts)
    list(POP_FRONT fonts name face size)
    set(sheet ${VOK_ART_DIR}/${name}.pcx)
    add_custom_command(
        OUTPUT ${sheet}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VOK_ART_DIR}
        COMMAND assetTool font ${VOK_FONT_DIR}/${face}.otf ${size} ${sheet}
        DEPENDS assetTool ${VOK_FONT_DIR}/${face}.otf
        COMMENT "Rendering ${name}"
        VERBATIM)
    list(APPEND fontSheets ${sheet})
endwhile()

vok_pack_datafile(${VOK_RUN_DIR}/Gfx/DataVessa.dat TYPE RLE BPP 24
    HEADER ${VOK_GENERATED_DIR}/ThemeData.h IMAGES ${VessaImages})
# The game picks blocks of either theme by the same names.
vok_pack_datafile(${VOK_RUN_DIR}/Gfx/DataKorrin.dat TYPE RLE BPP 24
    SAME_NAMES_AS ${VOK_RUN_DIR}/Gfx/DataVessa.dat IMAGES ${KorrinImages})
vok_pack_datafile(${VOK_RUN_DIR}/Gfx/DataFont.dat TYPE FONT
    HEADER ${VOK_GENERATED_DIR}/FontData.h IMAGES ${fontSheets})

set(sounds ${VOK_RUN_DIR}/Sfx/blockFall.wav ${VOK_RUN_DIR}/Sfx/blockKilled.wav)
add_custom_command(
    OUTPUT ${sounds}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${VOK_RUN_DIR}/Sfx
    COMMAND assetTool sounds ${VOK_RUN_DIR}/Sfx
    DEPENDS assetTool
    COMMENT "Synthesizing the sound effects"
    VERBATIM)

set(icons)
foreach(size 48 128)
    set(icon ${VOK_ICON_DIR}/${size}x${size}/vessa-or-korrin.png)
    add_custom_command(
        OUTPUT ${icon}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VOK_ICON_DIR}/${size}x${size}
        COMMAND assetTool icon ${size} ${icon}
        DEPENDS assetTool
        COMMENT "Drawing the ${size} px icon"
        VERBATIM)
    list(APPEND icons ${icon})
endforeach()

# The headers come with the datafiles, so building the headers builds them too.
add_custom_target(assetHeaders
    DEPENDS ${VOK_RUN_DIR}/Gfx/DataVessa.dat ${VOK_RUN_DIR}/Gfx/DataKorrin.dat ${VOK_RUN_DIR}/Gfx/DataFont.dat)
add_custom_target(assets DEPENDS ${sounds} ${icons})
add_dependencies(assets assetHeaders)
