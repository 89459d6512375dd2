#pragma once
// The one QApplication of an in-process widget test, made as orbisview makes its own.
class QApplication;

QApplication* testApplication();
