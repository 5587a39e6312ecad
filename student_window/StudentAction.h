#pragma once

// What the student window does when it is next shown. None is what a window that was never
// told shows, and like any other value it sets nothing up.
enum class StudentAction { None, Add, Display, Remove };
