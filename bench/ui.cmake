# Desktop program: time from start-up to the first drawn capture in demonstration mode, and the
# Waveforms page drawn into its panes.
if(TARGET voltaris_ui)
    voltaris_add_benchmark(bench_startup
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp ${CMAKE_CURRENT_LIST_DIR}/QtBenchmarkMain.cpp
                ${VOLTARIS_UI_TSAN_SUPPRESSIONS}
        LIBS voltaris_ui)
    voltaris_add_benchmark(bench_waveforms_page
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_waveforms_page.cpp ${CMAKE_CURRENT_LIST_DIR}/QtBenchmarkMain.cpp
                ${VOLTARIS_UI_TSAN_SUPPRESSIONS}
        LIBS voltaris_ui)
    file(GLOB bench_pages_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/pages/*.cpp)
    voltaris_add_benchmark(bench_pages
        SOURCES ${bench_pages_sources} ${CMAKE_CURRENT_LIST_DIR}/QtBenchmarkMain.cpp
                ${VOLTARIS_UI_TSAN_SUPPRESSIONS}
        LIBS voltaris_ui)
endif()
