#include "ui/context.h"

namespace ui {

Context& Ctx() {
  static Context context;
  return context;
}

}  // namespace ui
