voltaris_add_benchmark(bench_log SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_log.cpp LIBS voltaris_infra)
