# The real-printer test starts a private CUPS scheduler and waits for its jobs: a hang must not
# hold the suite for the default five minutes.
set_tests_properties(tst_printqueues PROPERTIES TIMEOUT 120)
