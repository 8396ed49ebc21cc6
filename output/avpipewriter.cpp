#include "avpipewriter.h"

bool AVPipeWriter::isActive() { return m_active.exchange(false); }

void AVPipeWriter::markActive() { m_active.store(true); }
