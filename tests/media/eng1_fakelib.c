/* A shared library that exports none of the names the loader binds; tests
   put it into a library folder under a real library's file name. */
int quorvel_fake_library_marker(void) { return 42; }
