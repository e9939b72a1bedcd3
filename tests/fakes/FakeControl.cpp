#include "fakes/FakeControl.h"
