#include <QCoreApplication>
#include <string_view>

#include "SettingsChild.h"
#include "support/QtTestEnvironment.h"

int main(int argc, char** argv) {
    // The settings tests start this binary once more as the separate program that reads back.
    if (argc >= 2 && std::string_view(argv[1]) == kalvo::test::settingsChildFlag) {
        QCoreApplication application(argc, argv);
        return kalvo::test::runSettingsChild(application.arguments().mid(2));
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new kalvo::test::QtTestEnvironment<>(argc, argv));
    return RUN_ALL_TESTS();
}
