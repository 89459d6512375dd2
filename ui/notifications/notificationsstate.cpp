#include "notificationsstate.h"

namespace ui::notifications {

NotificationsState g_notifications;

}  // namespace ui::notifications
