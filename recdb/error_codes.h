#pragma once
// The record database's error codes: 0 is success, every failure one negative code with a
// fixed message. Each thread keeps the code of its own last command.

#include "runtime/text.h"

namespace recdb {

enum ErrorCode : int {
    Ok = 0,
    UnknownError = -1,
    CreateFailed = -2,
    FileNotFound = -3,
    BadPath = -4,
    TooManyOpenFiles = -5,
    AccessDenied = -6,
    InvalidFile = -7,
    BadSeek = -10,
    HardwareFault = -11,
    SharingViolation = -12,
    LockViolation = -13,
    DiskFull = -14,
    EndOfFile = -15,
    NoFields = -16,
    BadFieldType = -17,
    BadFieldName = -18,
    BadFieldSize = -19,
    DuplicateFieldName = -20,
    NotADatabase = -22,
    VersionTooHigh = -23,
    BadAlias = -24,
    BeforeFirstRecord = -25,
    AfterLastRecord = -26,
    LockFailed = -28,
    UnlockFailed = -29,
    IndexOpenFailed = -30,
    AuxiliaryReadFailed = -35,
    AuxiliaryVersionMismatch = -36,
    AuxiliaryDamaged = -37,
    AlreadyOpen = -38,
    OutOfMemory = -45,
    FieldReadFailed = -46,
    FieldWriteFailed = -47,
    DatabaseSizeWrong = -48,
    AuxiliaryAccessFailed = -59,
    NoCurrentRecord = -60,
    NoSuchField = -61,
    RecordReadFailed = -62,
    RecordWriteFailed = -63,
    RecordCountFailed = -65,
    DatabaseNotOpen = -66,
    NoCurrentDatabase = -67,
    ValueTypeMismatch = -72,
    PasswordRequired = -78,
};

// The code of a failed file-system call, from its errno (file layer codes -1 ... -15).
[[nodiscard]] int errorFromErrno(int errnoValue);

// The fixed message of a code (GBK); the empty text for 0 and for codes without one.
[[nodiscard]] runtime::Text errorMessage(int code);

// The calling thread's last error: 0 after a successful command.
[[nodiscard]] int lastError();
void setLastError(int code);

} // namespace recdb
