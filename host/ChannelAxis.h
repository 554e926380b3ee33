#pragma once
// The module's two measuring channels.
enum class Axis { X, Y };
