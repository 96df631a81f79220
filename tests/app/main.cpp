#include "app/ApplicationErrors.h"
#include "support/QtTestEnvironment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(
        new kalvo::test::QtTestEnvironment<kalvo::KalvoApplication>(argc, argv));
    return RUN_ALL_TESTS();
}
