# Measurement analysis benchmarks.
voltaris_add_benchmark(bench_do_calculations
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_do_calculations.cpp
    LIBS voltaris_analysis)
