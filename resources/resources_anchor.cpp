// Anchors the resource library; the resources themselves are added by CMake.
