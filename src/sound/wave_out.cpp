#include "sound/wave_out.h"

namespace zunka::sound {

std::string deviceErrorText(int32_t code) {
  switch (code) {
    case 0:
      return "MMSYSERR_NOERROR";
    case 2:
      return "MMSYSERR_BADDEVICEID";
    case 4:
      return "MMSYSERR_ALLOCATED";
    case 5:
      return "MMSYSERR_INVALHANDLE";
    case 6:
      return "MMSYSERR_NODRIVER";
    case 7:
      return "MMSYSERR_NOMEM";
    case 8:
      return "MMSYSERR_NOTSUPPORTED";
    case 32:
      return "WAVERR_BADFORMAT";
    case 34:
      return "WAVERR_UNPREPARED";
    case 35:
      return "WAVERR_SYNC";
    default:
      return "MMSYSTEM" + std::to_string(code);
  }
}

}  // namespace zunka::sound
