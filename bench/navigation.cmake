# The browser pane's navigation benchmark. Built with the program; `make bench` runs it, or
# by hand: xvfb-run -a build/bench/bench_navigation [RUNS]
if(TARGET quaylink_webpane)
    find_package(Qt6 REQUIRED COMPONENTS Network)
    add_executable(bench_navigation ${CMAKE_CURRENT_LIST_DIR}/navigation.cpp)
    target_link_libraries(bench_navigation PRIVATE quaylink_core Qt6::Network)
    target_compile_definitions(bench_navigation PRIVATE WEBPANEDIR="$<TARGET_FILE_DIR:quaylink_webpane>")
    add_dependencies(bench_navigation quaylink_webpane bench_navigation_direct)
    # The baseline: the same navigations with the engine linked in and its contexts shared
    # from the start.
    find_package(Qt6 REQUIRED COMPONENTS WebEngineWidgets)
    add_executable(bench_navigation_direct ${CMAKE_CURRENT_LIST_DIR}/navigation.cpp)
    target_link_libraries(bench_navigation_direct PRIVATE Qt6::Widgets Qt6::Network Qt6::WebEngineWidgets)
    target_compile_definitions(bench_navigation_direct PRIVATE QUAYLINK_BENCH_DIRECT WEBPANEDIR="")
endif()

# The first "Go" against a later one, click to handler: xvfb-run -a build/bench/bench_firstgo [RUNS]
if(TARGET quaylink_webpane)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    add_executable(bench_firstgo ${CMAKE_CURRENT_LIST_DIR}/firstgo.cpp)
    target_link_libraries(bench_firstgo PRIVATE quaylink_core Qt6::Test)
    target_compile_definitions(bench_firstgo PRIVATE WEBPANEDIR="$<TARGET_FILE_DIR:quaylink_webpane>")
    add_dependencies(bench_firstgo quaylink_webpane)
endif()
