#pragma once
// The viewer's answer to the start-up question, whichever way it was asked.

enum class FullscreenAnswer { Yes, No, Cancel };
