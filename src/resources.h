#pragma once

// Registers the resources compiled into the static core library. Call once
// before the first resource is read (the entry point and every test do).
void quorvinInitResources();
