// One QApplication for every test; widgets run offscreen unless told otherwise.
#include <QApplication>

#include <gtest/gtest.h>

// Under the sanitizers: the leak check's reading of the thread-local storage
// of libraries loaded at run time (the database drivers and their own
// libraries) can crash the leak check itself on this platform's C library.
// Objects are never kept alive only from there, so the leak check does without.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "intercept_tls_get_addr=0";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
