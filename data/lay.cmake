# Called with SRC (the data sources), DST (the data folder beside the
# executable), ART (what the build drew: the system covers) and CHARTJS
# (the chart library the statistics page loads).
file(MAKE_DIRECTORY ${DST}/config ${DST}/db ${DST}/img ${DST}/banner ${DST}/bookImg ${DST}/cover ${DST}/h5)
if(NOT EXISTS ${DST}/config/setting.ini)
    file(COPY ${SRC}/config/setting.ini DESTINATION ${DST}/config)
endif()
foreach(dir h5 cover)
    if(EXISTS ${SRC}/${dir})
        file(COPY ${SRC}/${dir}/ DESTINATION ${DST}/${dir})
    endif()
endforeach()
if(EXISTS ${ART}/cover)
    file(COPY ${ART}/cover/ DESTINATION ${DST}/cover)
endif()
if(EXISTS ${CHARTJS})
    file(COPY ${CHARTJS} DESTINATION ${DST}/h5)
endif()
