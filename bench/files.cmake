# Files and reports: the report of one 85-period capture, in-process and as `voltaris-cli report`.
if(TARGET voltaris_files AND TARGET voltaris-cli)
    voltaris_add_benchmark(bench_report
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/bench_report.cpp ${CMAKE_CURRENT_LIST_DIR}/QtBenchmarkMain.cpp
                ${VOLTARIS_UI_TSAN_SUPPRESSIONS}
        LIBS voltaris_files)
    target_compile_definitions(bench_report PRIVATE
        VOLTARIS_CLI_PROGRAM="$<TARGET_FILE:voltaris-cli>"
        VOLTARIS_RESOURCES_DIR="${PROJECT_SOURCE_DIR}/resources")
    add_dependencies(bench_report voltaris-cli)
endif()
