# Chart rendering: the Waveforms page pair at 85 periods, one chart of each layer type and the
# window's state meter.
if(TARGET voltaris_chart_samples AND TARGET voltaris_ui)
    voltaris_add_benchmark(bench_chart_render
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_chart_render.cpp ${CMAKE_CURRENT_LIST_DIR}/QtBenchmarkMain.cpp
        LIBS voltaris_chart_samples voltaris_ui)
endif()
