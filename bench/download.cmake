# The SD-card download from the simulator paced at the line rate, against the wire time.
if(TARGET voltaris_files AND TARGET voltaris_metersim)
    voltaris_add_benchmark(bench_card_download
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_card_download.cpp
        LIBS voltaris_files voltaris_metersim)
endif()
