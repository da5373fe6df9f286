#include "compiler/res_list.h"

namespace zunka {

int TResList::Generate(TCompileContext&) {
  return 0;
}

}  // namespace zunka
