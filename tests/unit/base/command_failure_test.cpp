#include "base/command_failure.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace vexa {
namespace {

TEST(CommandFailureTest, FileErrorMessagesSubstituteThePathOrUnnamedFile) {
    EXPECT_EQ(CommandFailure(FileErrorKind::accessDenied, "/tmp/x/SysPal.bmp").message(),
              "Access to /tmp/x/SysPal.bmp was denied.");
    EXPECT_EQ(CommandFailure(FileErrorKind::generalError, std::nullopt).message(),
              "An unknown error occurred while accessing an unnamed file.");
    EXPECT_EQ(fileErrorMessage(FileErrorKind::diskFull, "/m/a.txt"),
              "Disk full while accessing /m/a.txt.");
    EXPECT_EQ(fileErrorMessage(FileErrorKind::seekFailed, "f"), "Seek failed on f");
    EXPECT_EQ(fileErrorMessage(FileErrorKind::noError, "f"), "No error occurred.");
    EXPECT_EQ(fileErrorMessage(FileErrorKind::pastEnd, std::nullopt),
              "An attempt was made to access an unnamed file past its end.");
}

TEST(CommandFailureTest, EveryKindHasItsOwnMessageNamingThePath) {
    for (int k = 1; k <= 14; ++k) {
        auto text = fileErrorMessage(static_cast<FileErrorKind>(k), "PATH");
        EXPECT_NE(text.find("PATH"), std::string::npos) << k;
        for (int j = 1; j < k; ++j)
            EXPECT_NE(text, fileErrorMessage(static_cast<FileErrorKind>(j), "PATH")) << k;
    }
}

TEST(CommandFailureTest, CategoriesHaveTheirMessagesAndIcons) {
    EXPECT_EQ(CommandFailure::unsupportedFormat().message(),
              "An unsupported operation was attempted.");
    EXPECT_EQ(CommandFailure::resourceUnavailable().message(),
              "A required resource was unavailable.");
    EXPECT_EQ(CommandFailure::outOfMemory().message(), "Out of memory.");
    EXPECT_EQ(CommandFailure::outOfMemory().icon(), MessageIcon::exclamation);
    EXPECT_EQ(CommandFailure::unsupportedFormat().icon(), MessageIcon::stop);
    EXPECT_EQ(CommandFailure(FileErrorKind::notFound, "a").icon(), MessageIcon::stop);
    EXPECT_FALSE(CommandFailure::silent().shown());
    EXPECT_EQ(CommandFailure::silent().message(), "");
    EXPECT_TRUE(CommandFailure::resourceUnavailable().shown());
}

TEST(CommandFailureTest, PosixErrorsMapOntoKinds) {
    EXPECT_EQ(classifyErrno(ENOENT), FileErrorKind::notFound);
    for (int e : {ENOTDIR, ENAMETOOLONG, ELOOP})
        EXPECT_EQ(classifyErrno(e), FileErrorKind::invalidPath) << e;
    for (int e : {EMFILE, ENFILE}) EXPECT_EQ(classifyErrno(e), FileErrorKind::tooManyOpenFiles);
    for (int e : {EACCES, EPERM, EROFS, EEXIST, EISDIR})
        EXPECT_EQ(classifyErrno(e), FileErrorKind::accessDenied) << e;
    for (int e : {ENOSPC, EDQUOT}) EXPECT_EQ(classifyErrno(e), FileErrorKind::diskFull);
    EXPECT_EQ(classifyErrno(EIO), FileErrorKind::hardwareError);
    for (int e : {ETXTBSY, EBUSY}) EXPECT_EQ(classifyErrno(e), FileErrorKind::sharingViolation);
    for (int e : {EINVAL, EFBIG, 0}) EXPECT_EQ(classifyErrno(e), FileErrorKind::generalError);
    auto failure = CommandFailure::fromErrno(ENOSPC, "/full/f.bmp");
    EXPECT_EQ(failure.category(), FailureCategory::FileError);
    EXPECT_EQ(failure.fileErrorKind(), FileErrorKind::diskFull);
    EXPECT_EQ(failure.message(), "Disk full while accessing /full/f.bmp.");
}

}  // namespace
}  // namespace vexa
