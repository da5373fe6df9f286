#include "compiler/res_list.h"

namespace zunka {

int TResList::Generate(TContext&) {
  return 0;
}

}  // namespace zunka
