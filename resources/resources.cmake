# Builds the client's embedded resources into quorvin_core:
#  - res: style sheets, skins drawn by hand, sounds, texts, fonts (":/res/...")
#  - icons: our SVG icons rendered to the PNG/ICO paths the code names
#  - translations: client_zh_CN.ts compiled by lrelease into ":/res/client.qm"
set(RES_ROOT ${CMAKE_SOURCE_DIR}/resources)
set(RES_GEN ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${RES_GEN})

function(quorvin_rcc name qrc)
    set(out ${RES_GEN}/qrc_${name}.cpp)
    add_custom_command(OUTPUT ${out}
        COMMAND Qt5::rcc --name ${name} --output ${out} ${qrc}
        DEPENDS ${qrc} ${ARGN}
        COMMENT "Compiling resources ${name}"
        VERBATIM)
    set(QUORVIN_RESOURCE_SOURCES ${QUORVIN_RESOURCE_SOURCES} ${out} PARENT_SCOPE)
endfunction()

# Plain files, each under ":/res/" + its path below resources/.
file(GLOB_RECURSE RES_FILES CONFIGURE_DEPENDS
    ${RES_ROOT}/qss/* ${RES_ROOT}/skin/* ${RES_ROOT}/sound/* ${RES_ROOT}/txt/* ${RES_ROOT}/fonts/*)
set(qrc_text "<RCC>\n  <qresource prefix=\"/res\">\n")
foreach(f ${RES_FILES})
    file(RELATIVE_PATH rel ${RES_ROOT} ${f})
    string(APPEND qrc_text "    <file alias=\"${rel}\">${f}</file>\n")
endforeach()
# The store's schema, to make wrt.db again when it is missing.
string(APPEND qrc_text "    <file alias=\"db/schema.sql\">${CMAKE_SOURCE_DIR}/data/schema.sql</file>\n")
string(APPEND qrc_text "  </qresource>\n</RCC>\n")
file(CONFIGURE OUTPUT ${RES_GEN}/res.qrc CONTENT "${qrc_text}")
quorvin_rcc(res ${RES_GEN}/res.qrc ${RES_FILES} ${CMAKE_SOURCE_DIR}/data/schema.sql)

# Icons drawn as SVG, rendered by iconbake for both themes.
file(GLOB_RECURSE ICON_SOURCES CONFIGURE_DEPENDS ${RES_ROOT}/icons/*.svg)
set(ICON_OUT ${RES_GEN}/icons)
add_custom_command(OUTPUT ${ICON_OUT}/icons.qrc
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:quorvin-iconbake> ${RES_ROOT}/icons/manifest.txt ${RES_ROOT}/icons ${ICON_OUT}
    DEPENDS quorvin-iconbake ${RES_ROOT}/icons/manifest.txt ${ICON_SOURCES}
    COMMENT "Rendering icons"
    VERBATIM)
quorvin_rcc(icons ${ICON_OUT}/icons.qrc)

# Typing sounds, synthesised at build time.
set(SOUND_OUT ${RES_GEN}/sound)
set(SOUND_FILES ${SOUND_OUT}/writing.wav ${SOUND_OUT}/delete.wav ${SOUND_OUT}/enter.wav)
add_custom_command(OUTPUT ${SOUND_FILES}
    COMMAND $<TARGET_FILE:quorvin-soundgen> ${SOUND_OUT}
    DEPENDS quorvin-soundgen
    COMMENT "Synthesising typing sounds"
    VERBATIM)
set(sound_qrc "<RCC>\n  <qresource prefix=\"/res/sound/creation\">\n")
foreach(f ${SOUND_FILES})
    get_filename_component(fname ${f} NAME)
    string(APPEND sound_qrc "    <file alias=\"${fname}\">${f}</file>\n")
endforeach()
string(APPEND sound_qrc "  </qresource>\n</RCC>\n")
file(CONFIGURE OUTPUT ${RES_GEN}/sound.qrc CONTENT "${sound_qrc}")
quorvin_rcc(sound ${RES_GEN}/sound.qrc ${SOUND_FILES})

# The pinyin table of the sensitive-word check, from the Mandarin readings of
# the Unicode Han database (Debian's unicode-data).
set(UNIHAN_READINGS /usr/share/unicode/Unihan_Readings.txt.bz2)
set(PINYIN_OUT ${RES_GEN}/txt/pinyin.txt)
add_custom_command(OUTPUT ${PINYIN_OUT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${RES_GEN}/txt
    COMMAND sh -c "bzip2 -dc \"$1\" | \"$2\" \"$3\"" pinyingen ${UNIHAN_READINGS}
            $<TARGET_FILE:quorvin-pinyingen> ${PINYIN_OUT}
    DEPENDS quorvin-pinyingen ${UNIHAN_READINGS}
    COMMENT "Writing the pinyin table"
    VERBATIM)
file(CONFIGURE OUTPUT ${RES_GEN}/pinyin.qrc CONTENT
"<RCC>\n  <qresource prefix=\"/res/txt\">\n    <file alias=\"pinyin.txt\">${PINYIN_OUT}</file>\n  </qresource>\n</RCC>\n")
quorvin_rcc(pinyin ${RES_GEN}/pinyin.qrc ${PINYIN_OUT})

# Translations.
set(TS_FILE ${RES_ROOT}/translations/client_zh_CN.ts)
set_source_files_properties(${TS_FILE} PROPERTIES OUTPUT_LOCATION ${RES_GEN})
qt5_add_translation(QM_FILES ${TS_FILE})
file(CONFIGURE OUTPUT ${RES_GEN}/translations.qrc CONTENT
"<RCC>\n  <qresource prefix=\"/res\">\n    <file alias=\"client.qm\">${RES_GEN}/client_zh_CN.qm</file>\n  </qresource>\n</RCC>\n")
quorvin_rcc(translations ${RES_GEN}/translations.qrc ${QM_FILES})


# Drawn at build time by quorvin-coverbake: the system covers (laid into
# data/cover by the data target) and the synchronisation animation, whose
# frames ImageMagick joins into a GIF for each theme.
find_program(QUORVIN_CONVERT convert REQUIRED)
set(ART_OUT ${CMAKE_BINARY_DIR}/art)
set(ART_GIFS)
set(ART_COMMANDS)
foreach(theme light dark)
    set(frames)
    foreach(i RANGE 0 11)
        if(i LESS 10)
            set(i "0${i}")
        endif()
        list(APPEND frames ${ART_OUT}/frames/${theme}/frame_${i}.png)
    endforeach()
    set(gif ${ART_OUT}/res/skin/${theme}/top/gif_sync.gif)
    list(APPEND ART_GIFS ${gif})
    list(APPEND ART_COMMANDS
        COMMAND ${CMAKE_COMMAND} -E make_directory ${ART_OUT}/res/skin/${theme}/top
        COMMAND ${QUORVIN_CONVERT} -delay 8 -loop 0 -dispose previous -background none ${frames} ${gif})
endforeach()
add_custom_command(OUTPUT ${ART_GIFS}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:quorvin-coverbake> ${ART_OUT}/cover ${ART_OUT}/frames
    ${ART_COMMANDS}
    DEPENDS quorvin-coverbake
    COMMENT "Drawing the system covers and the sync animation"
    VERBATIM)
file(CONFIGURE OUTPUT ${ART_OUT}/art.qrc CONTENT
"<RCC>\n  <qresource prefix=\"/\">\n    <file>res/skin/light/top/gif_sync.gif</file>\n    <file>res/skin/dark/top/gif_sync.gif</file>\n  </qresource>\n</RCC>\n")
quorvin_rcc(art ${ART_OUT}/art.qrc ${ART_GIFS})
add_custom_target(quorvin_art DEPENDS ${ART_GIFS})

add_custom_target(quorvin_resources DEPENDS ${QUORVIN_RESOURCE_SOURCES})
add_dependencies(quorvin_data quorvin_art)
