// The one place GL headers are pulled in: GLEW must come before any other GL header.
#pragma once

#include <GL/glew.h>
#include <GL/glu.h>
