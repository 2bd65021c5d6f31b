// ui/message_state.cpp - the message strip's state, shared by everything that raises a message.
#include "ui/message.h"

MessageState Messages;
