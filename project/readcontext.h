// What the reader of a project file pair carries from one init call to the next.
#pragma once

struct CProjReadContext {};
