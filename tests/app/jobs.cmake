# The job list's tests draw the program's windows with a full list.
target_link_libraries(app_jobs_test PRIVATE programgallery)
