// engine/deep_ref_standin.cpp - the reference orbit's storage until the orbit code holds it.
#include "engine/deep.h"

DeepReferenceState DeepRef;
