// libjpeg errors and warnings turned into a reason and a jump back.
#include "JpegErrors.h"

#include <cctype>
#include <cstring>

namespace tintwell {

namespace {

JpegErrors &errorsOf(jpeg_common_struct *cinfo)
{
    // manager is the first member, so the error manager's address is ours.
    return *reinterpret_cast<JpegErrors *>(cinfo->err);
}

[[noreturn]] void stopWithLibraryMessage(jpeg_common_struct *cinfo)
{
    JpegErrors &errors = errorsOf(cinfo);
    char message[JMSG_LENGTH_MAX] = {};
    (*cinfo->err->format_message)(cinfo, message);
    // libjpeg's messages start with a capital; ours are phrases after a colon.
    if (message[0] && message[1] && !std::isupper(static_cast<unsigned char>(message[1])))
        message[0] = char(std::tolower(static_cast<unsigned char>(message[0])));
    std::snprintf(errors.reason, sizeof errors.reason, "%s", message);
    std::longjmp(errors.jump, 1);
}

void onError(jpeg_common_struct *cinfo)
{
    stopWithLibraryMessage(cinfo);
}

// Level -1 is a warning: libjpeg would go on and fill what it could not decode
// with grey. A picture that is not what the file holds is refused instead
// (unless the caller turned that off for a step that is not about pixels).
// Other levels are trace messages, which are ignored.
void onMessage(jpeg_common_struct *cinfo, int level)
{
    if (level < 0 && errorsOf(cinfo).warningsFail)
        stopWithLibraryMessage(cinfo);
}

} // namespace

void installJpegErrors(jpeg_common_struct *cinfo, JpegErrors &errors)
{
    cinfo->err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onError;
    errors.manager.emit_message = onMessage;
    errors.reason[0] = '\0';
}

void failJpeg(jpeg_common_struct *cinfo, const char *reason)
{
    JpegErrors &errors = errorsOf(cinfo);
    std::snprintf(errors.reason, sizeof errors.reason, "%s", reason);
    std::longjmp(errors.jump, 1);
}

} // namespace tintwell
