#include "platform/aphelp/errors.h"

#include "platform/aphelp/include/KAV7420apHelp.h"

namespace kav::aphelp {
namespace {

// Error statuses a device puts in its answer, 1 to 18.
const char* const kStatusTexts[] = {
    "The answer would be too big for the device to send (tooBig).",
    "The device does not have the requested object (noSuchName).",
    "The device refused a value (badValue).",
    "The device refused to change a read-only value (readOnly).",
    "The device reported a general error (genErr).",
    "The device denied access: wrong write community, or no right to change this value (noAccess).",
    "The device refused a value of the wrong type (wrongType).",
    "The device refused a value of the wrong length (wrongLength).",
    "The device refused a wrongly encoded value (wrongEncoding).",
    "The device refused a value outside its range (wrongValue).",
    "The device cannot create this object (noCreation).",
    "The device refused a value that does not fit its other settings (inconsistentValue).",
    "The device lacks the resources to take the value (resourceUnavailable).",
    "The device could not commit the values (commitFailed).",
    "The device could not undo a failed change (undoFailed).",
    "The device refused the request: not authorised (authorizationError).",
    "The device refused to change a value that cannot be written (notWritable).",
    "The device refused an object name that does not fit (inconsistentName).",
};

}  // namespace

std::string errorText(int code) {
  switch (code) {
    case AP_OK: return "Success.";
    case AP_E_TIMEOUT:
      return "No answer from the device: it is unreachable, silent, or the community is wrong.";
    case AP_E_HANDLE: return "Invalid handle.";
    case AP_E_SEND: return "The request could not be sent.";
    case AP_E_ADDRESS: return "Invalid device address or port.";
    case AP_E_NOT_INIT: return "The SNMP library is not initialised.";
    case AP_E_ARGUMENT: return "Invalid argument.";
    case AP_E_BAD_ANSWER: return "The device sent an answer that does not fit the request.";
    case AP_E_WRONG_TYPE: return "The device answered with a value of the wrong type.";
    case AP_E_NO_SUCH_OBJECT: return "The device does not have the requested object.";
    case AP_E_NOTHING_TO_SET: return "Nothing to write.";
    case AP_E_UNSUPPORTED: return "The operation is not supported.";
    case AP_E_TRANSFER: return "The device could not complete the file transfer.";
    case AP_WRONG_IMAGE: return "The file is not a firmware image for this device.";
    case AP_E_NO_FEATURE_HANDLE: return "The page has no feature handle.";
    default: break;
  }
  int status = AP_E_STATUS_BASE - code;
  if (status >= 1 && status <= 18) return kStatusTexts[status - 1];
  return "Unknown error (" + std::to_string(code) + ").";
}

std::string completionText(int status, bool write) {
  if (status != AP_OK) return errorText(status);
  return write ? "Written to the device successfully." : "Read from the device successfully.";
}

}  // namespace kav::aphelp
