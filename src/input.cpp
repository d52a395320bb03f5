// The input layer: filled from SDL in the game, from a script in tests.
#include "input.h"

#include <SDL/SDL.h>

bool InputState::keyHeld(int sdlKey) const {
    return sdlKey >= 0 && sdlKey < KEY_COUNT && keys[sdlKey];
}

void InputState::setKey(int sdlKey, bool held) {
    if (sdlKey >= 0 && sdlKey < KEY_COUNT) keys[sdlKey] = held;
}

void InputState::addMotion(int dx, int dy) {
    motionX += dx;
    motionY += dy;
}

std::pair<int, int> InputState::takeMotion() {
    std::pair<int, int> motion{motionX, motionY};
    motionX = 0;
    motionY = 0;
    return motion;
}

void InputState::pushEvent(InputEvent event) { events.push_back(event); }

std::vector<InputEvent> InputState::takeEvents() {
    std::vector<InputEvent> taken;
    taken.swap(events);
    return taken;
}

void InputState::pollSdl() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        switch (event.type) {
        case SDL_QUIT: pushEvent({InputEvent::Quit, 0}); break;
        case SDL_KEYDOWN:
            pushEvent({InputEvent::KeyDown, static_cast<int>(event.key.keysym.sym),
                       (event.key.keysym.mod & KMOD_SHIFT) != 0});
            break;
        case SDL_MOUSEBUTTONDOWN: pushEvent({InputEvent::ButtonDown, event.button.button}); break;
        case SDL_MOUSEBUTTONUP: pushEvent({InputEvent::ButtonUp, event.button.button}); break;
        default: break;
        }
    }
    int count = 0;
    Uint8* state = SDL_GetKeyState(&count);
    for (int k = 0; k < KEY_COUNT; ++k) keys[k] = k < count && state[k];
    int dx = 0, dy = 0;
    buttons = SDL_GetRelativeMouseState(&dx, &dy);
    addMotion(dx, dy);
}
