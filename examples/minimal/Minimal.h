// The smallest production: one scene, a triangle turning on a dark blue
// ground for five seconds, and its description. The scene is the director
// itself; a production with more scenes declares them in a cDirector
// (the tour example).
#pragma once

#include <MivexGL/platform/GL.h>
#include <MivexGL/production/Production.h>

// No data and no music: the data folder is the working one.
inline const MivexGL::cProductionInfo kMinimal{"minimal", "MivexGL minimal", 5000, "."};

class cTriangle : public MivexGL::cSceneSystem
{
public:
    void Draw() override
    {
        glClearColor(0.05f, 0.05f, 0.2f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPushMatrix();
        glLoadIdentity();
        glTranslatef(0.0f, 0.0f, -4.0f);
        // The scene's own clock: a seek or a capture draws the same angle.
        glRotatef(GetLocalTime() * 0.09f, 0.0f, 0.0f, 1.0f);
        glBegin(GL_TRIANGLES);
        glColor3f(1.0f, 0.3f, 0.2f);
        glVertex3f(0.0f, 1.2f, 0.0f);
        glColor3f(0.2f, 1.0f, 0.3f);
        glVertex3f(-1.0f, -0.6f, 0.0f);
        glColor3f(0.2f, 0.4f, 1.0f);
        glVertex3f(1.0f, -0.6f, 0.0f);
        glEnd();
        glPopMatrix();
    }
};
