#include "support/QtTestEnvironment.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new kalvo::test::QtTestEnvironment<>(argc, argv));
    return RUN_ALL_TESTS();
}
