// The main of GoogleTest programs that use QtSql or other Qt parts that need an application object
// (QtSql loads its database drivers as plugins through it).
#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
