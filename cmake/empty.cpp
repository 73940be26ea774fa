/* empty.cpp - keeps the native core library non-empty whatever it holds. */
