// The error handling that libjpeg's reader and writer share: every error and
// every warning ends the job with a one-line reason instead of exiting the
// process or painting a damaged picture.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace tintwell {

// libjpeg's error manager extended with the place to jump back to and the
// reason for stopping. Install it with installJpegErrors before creating the
// (de)compressor; call setjmp(jump) before any other libjpeg call.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char reason[JMSG_LENGTH_MAX + 64];
    bool warningsFail = true; // false: warnings are ignored (errors still jump)
};

// Points cinfo->err at `errors`: libjpeg errors and warnings (premature end of
// data, corrupt data) record their message and jump back to `errors.jump`.
void installJpegErrors(jpeg_common_struct *cinfo, JpegErrors &errors);

// Ends the job from a callback of ours with `reason` (at most a line, marked
// with QT_TRANSLATE_NOOP("tintwell", ...): Reasons::marked translates it).
[[noreturn]] void failJpeg(jpeg_common_struct *cinfo, const char *reason);

} // namespace tintwell
