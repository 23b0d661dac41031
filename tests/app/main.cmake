# The program's own test starts the built program.
add_dependencies(app_main_test quorvel)
