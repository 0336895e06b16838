// What the choice dialogs' route tables share: the message as a row sees it.
#pragma once

#include "platform/framework/message_routes.h"
#include "platform/framework/routed_message.h"
#include "platform/win32/win.h"

// A dialog's message on its way through the table.
using ChoiceMessage = RoutedMessage;
